// Line sound made from a script, with spandsp's transmitters: what a
// telephone adapter would hear between and during calls (caller ID by FSK
// or by keys, touch-tone keys, the fax calling tone, dial and busy tones,
// silence). The adapter's simulator plays it; the detector's tests feed it.
//
//     std::vector<int16_t> sound = SynthesiseLineAudio({
//         LineAudioStep::CallerIdFsk(message, FskForm::EtsiV23),
//         LineAudioStep::Silence(500),
//         LineAudioStep::Keys("12#"),
//         LineAudioStep::Tone("Europe busy", 3000),
//     });
//
// The result is 8000 samples/s, 16-bit signed mono.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class FskForm {
    EtsiV23, // ETSI EN 300 659, V.23 at 1200 bit/s
    Bell202, // Bellcore GR-30, Bell 202 at 1200 bit/s
};

struct LineAudioStep {
    enum class Kind { Silence, Keys, FaxCallingTone, Tone, CallerIdFsk, CallerIdKeys };

    Kind kind = Kind::Silence;
    // Silence, FaxCallingTone, Tone: how long. Keys: each key's on time
    // (and the pause after it); 0 for spandsp's usual 50 ms and 55 ms.
    int nMs = 0;
    // Keys and CallerIdKeys: the keys. CallerIdFsk: the message bytes
    // (type, length, parameters; the length byte is set from the size and
    // the checksum added). Tone: the tone table row's name.
    std::string sData;
    FskForm form = FskForm::EtsiV23;
    // Level of keys and tones, dBm0 per frequency.
    int nLevelDbm0 = -13;

    static LineAudioStep Silence(int ms);
    static LineAudioStep Keys(std::string_view keys, int onMs = 0, int levelDbm0 = -13);
    static LineAudioStep FaxCallingTone(int ms);
    static LineAudioStep Tone(std::string_view rowName, int ms, int levelDbm0 = -13);
    static LineAudioStep CallerIdFsk(std::string_view message, FskForm form);
    static LineAudioStep CallerIdKeys(std::string_view keys);
};

// Throws std::invalid_argument for a step it cannot make (an unknown tone,
// a key that does not exist, a message longer than 255 bytes or shorter
// than its type and length).
std::vector<int16_t> SynthesiseLineAudio(std::span<const LineAudioStep> script);
inline std::vector<int16_t> SynthesiseLineAudio(std::initializer_list<LineAudioStep> script) {
    return SynthesiseLineAudio(std::span<const LineAudioStep>(script.begin(), script.size()));
}
