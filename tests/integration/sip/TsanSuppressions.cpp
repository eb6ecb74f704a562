// ThreadSanitizer's suppressions for the far end (sip_far_end). The library,
// not built for ThreadSanitizer, shares process-wide state between its
// threads without locks: the C locale it switches while formatting numbers,
// the parser caches of its SIP grammar, a cache of parsed addresses (its
// frames carry no names, so the library is named as a whole). The sound
// server client its media streamer loads makes its locks where the sanitizer
// cannot see them. The tests' own processes hold only the line's stack and
// keep only what LineTsanSuppressions.cpp lists.
extern "C" const char* __tsan_default_suppressions();

extern "C" const char* __tsan_default_suppressions() {
    return "race:setlocale\n"
           "race:belr::\n"
           "race:libbelr.so\n"
           "race:liblinphone.so\n"
           "race:libpulse\n";
}
