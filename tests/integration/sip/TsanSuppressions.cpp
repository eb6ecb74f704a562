// ThreadSanitizer's suppressions for the SIP tests. A test runs two SIP
// stacks, the line's and the far end's, each driven by a thread of its own
// (the program drives all of its stacks from one thread). The library,
// not built for ThreadSanitizer, shares process-wide state between its
// stacks without locks: the C locale it switches while formatting numbers,
// the parser caches of its SIP grammar, a cache of parsed addresses (its
// frames carry no names, so the library is named as a whole). The sound
// server client its media streamer loads makes its locks where the
// sanitizer cannot see them.
extern "C" const char* __tsan_default_suppressions();

extern "C" const char* __tsan_default_suppressions() {
    return "race:setlocale\n"
           "race:belr::\n"
           "race:libbelr.so\n"
           "race:liblinphone.so\n"
           "race:libpulse\n";
}
