// ThreadSanitizer's suppressions for a test whose process holds only the
// line's SIP stack (its far end is a program of its own). The library,
// not built for ThreadSanitizer, switches the C locale while formatting
// numbers; the sound server client its media streamer loads makes its
// locks where the sanitizer cannot see them. Nothing of the library
// itself is suppressed, so a race in our callbacks that run inside it is
// reported.
extern "C" const char* __tsan_default_suppressions();

extern "C" const char* __tsan_default_suppressions() {
    return "race:setlocale\n"
           "race:libpulse\n";
}
