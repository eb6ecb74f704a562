// The sound a simulated caller makes: a list of tones, silences, noise and
// recorded samples, rendered at whatever rate the modem's voice format runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace modemsim {

class SignalSource {
public:
    // A sine tone; with freq2Hz > 0 the sum of two (a touch-tone pair).
    SignalSource& Tone(double freqHz, int ms, int amplitude = 8000, double freq2Hz = 0);
    SignalSource& Silence(int ms);
    // Deterministic white noise (fixed seed), for level and robustness tests.
    SignalSource& Noise(int ms, int amplitude = 4000);
    // Samples recorded at sampleRate; resampled linearly to the stream rate.
    SignalSource& Samples(std::vector<int16_t> samples, int sampleRate);
    // A WAV file (16-bit or 8-bit PCM, any channel count; channels are mixed).
    // False with *error set when the file cannot be read.
    bool Wav(const std::string& path, std::string* error = nullptr);

    // Fills out with the next n samples at rate; after the last segment the
    // source yields silence. Returns n.
    size_t Render(int16_t* out, size_t n, int rate);
    // Starts again from the first segment.
    void Rewind();
    bool Finished() const { return m_segment >= m_segments.size(); }
    // Total length in ms at any rate.
    int DurationMs() const;

private:
    enum class Kind { Tone, Silence, Noise, Samples };
    struct Segment {
        Kind kind = Kind::Silence;
        double freq1 = 0, freq2 = 0;
        int ms = 0;
        int amplitude = 0;
        std::vector<int16_t> samples;
        int sampleRate = 8000;
    };
    int16_t Sample(const Segment& s, size_t i, int rate);

    std::vector<Segment> m_segments;
    size_t m_segment = 0;
    size_t m_pos = 0; // sample index inside the current segment, at the stream rate
    uint32_t m_noiseState = 12345;
};

} // namespace modemsim
