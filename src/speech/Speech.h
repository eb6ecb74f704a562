// Text spoken by espeak-ng for the line: synthesised into a buffer (its
// synchronous mode, never its own sound output), in the voice of the
// language asked for, and brought from espeak's own rate to the line's
// 8000 samples/s through the low-pass resampler (src/audio/RateConverter).
//
// espeak-ng keeps its state in globals and is not reentrant: one synthesis
// runs at a time, whatever thread asks. The first call loads espeak's data.
// A language with no voice is spoken in English, which the sound layer's
// log (AudioError) is told once for that language.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kSpeechLineRate = 8000;

struct SpokenText {
    std::vector<int16_t> samples; // 16-bit mono
    uint32_t rate = 0;            // samples/s
    std::string sVoice;           // the language spoken ("de", "en")
    std::string sError;           // why nothing was spoken ("" when it was)
};

// language as the user's locale names it ("de", "de_AT", "en-US").
// At espeak's own rate (22050 samples/s).
SpokenText SynthesizeSpeech(const std::string& text, const std::string& language);
// At the line's rate.
SpokenText Speak(const std::string& text, const std::string& language);
// Speak, written as a 16-bit mono WAV file at 8000 samples/s; false with
// *error when nothing was written.
bool SpeakToWaveFile(const std::string& text, const std::string& language, const std::string& path,
                     std::string* error);

// 16-bit mono samples at the line's rate as a WAV file; false with *error
// (and no file left) when it cannot be written.
bool WriteLineWave(const std::string& path, const std::vector<int16_t>& samples,
                   std::string* error);

// Sound at rate brought to the line's rate, the filter's tail included.
std::vector<int16_t> ToLineRate(const std::vector<int16_t>& samples, uint32_t rate);
