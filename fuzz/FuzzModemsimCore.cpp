// The simulated modem takes whatever a host sends: command lines, voice
// streams, stop sequences, garbage. The first byte picks the personality.
#include "ModemCore.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace modemsim;
    if (size == 0)
        return 0;
    std::vector<std::string> names = PersonalityNames();
    const Personality* p = FindPersonality(names[data[0] % names.size()]);
    ModemCore core(*p, 0); // pace 0: voice streams produce as much as allowed
    core.SetVoiceSource(SignalSource().Tone(1000, 100).Noise(100));
    core.InjectEvent('5', 10);
    uint32_t now = 1000;
    core.Ring(2, RingCadence::Fast(), now);
    // Feed in pieces of varying size, moving time on between them.
    for (size_t at = 1; at < size;) {
        size_t n = 1 + data[at] % 64;
        n = std::min(n, size - at);
        core.Feed(reinterpret_cast<const char*>(data + at), n, now);
        now += 7;
        core.Tick(now);
        (void)core.NextTickIn(now);
        core.Output().clear();
        at += n;
        if (core.Vanished())
            break;
    }
    return 0;
}
