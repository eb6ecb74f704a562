// ThreadSanitizer's suppressions for a process that holds a far end's SIP
// stack: the far end itself (sip_far_end), and the call tests, which run it
// beside the line's stack, each driven by a thread of its own (the program
// drives all of its stacks from one thread). The library, not built for
// ThreadSanitizer, shares process-wide state between its stacks without
// locks: the C locale it switches while formatting numbers, the parser
// caches of its SIP grammar, a cache of parsed addresses (its frames carry
// no names, so the library is named as a whole). The sound server client
// its media streamer loads makes its locks where the sanitizer cannot see
// them. The stories run their far end as a program of their own and keep
// only what LineTsanSuppressions.cpp lists.
extern "C" const char* __tsan_default_suppressions();

extern "C" const char* __tsan_default_suppressions() {
    return "race:setlocale\n"
           "race:belr::\n"
           "race:libbelr.so\n"
           "race:liblinphone.so\n"
           "race:libpulse\n";
}
