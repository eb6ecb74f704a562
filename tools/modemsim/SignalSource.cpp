#include "SignalSource.h"

#include "WavFile.h"

#include <algorithm>
#include <cmath>

namespace modemsim {

SignalSource& SignalSource::Tone(double freqHz, int ms, int amplitude, double freq2Hz) {
    Segment s;
    s.kind = Kind::Tone;
    s.freq1 = freqHz;
    s.freq2 = freq2Hz;
    s.ms = std::max(ms, 0);
    s.amplitude = std::clamp(amplitude, 0, 32767);
    m_segments.push_back(std::move(s));
    return *this;
}

SignalSource& SignalSource::Silence(int ms) {
    Segment s;
    s.ms = std::max(ms, 0);
    m_segments.push_back(std::move(s));
    return *this;
}

SignalSource& SignalSource::Noise(int ms, int amplitude) {
    Segment s;
    s.kind = Kind::Noise;
    s.ms = std::max(ms, 0);
    s.amplitude = std::clamp(amplitude, 0, 32767);
    m_segments.push_back(std::move(s));
    return *this;
}

SignalSource& SignalSource::Samples(std::vector<int16_t> samples, int sampleRate) {
    Segment s;
    s.kind = Kind::Samples;
    s.sampleRate = std::max(sampleRate, 1);
    s.ms = static_cast<int>(samples.size() * 1000 / static_cast<size_t>(s.sampleRate));
    s.samples = std::move(samples);
    m_segments.push_back(std::move(s));
    return *this;
}

bool SignalSource::Wav(const std::string& path, std::string* error) {
    WavData wav;
    if (!ReadWav(path, wav, error))
        return false;
    Samples(std::move(wav.samples), wav.sampleRate);
    return true;
}

int SignalSource::DurationMs() const {
    int total = 0;
    for (const Segment& s : m_segments)
        total += s.ms;
    return total;
}

void SignalSource::Rewind() {
    m_segment = 0;
    m_pos = 0;
    m_noiseState = 12345;
}

int16_t SignalSource::Sample(const Segment& s, size_t i, int rate) {
    constexpr double kTwoPi = 6.283185307179586;
    double t = static_cast<double>(i) / rate;
    switch (s.kind) {
    case Kind::Silence:
        return 0;
    case Kind::Tone: {
        double v = std::sin(kTwoPi * s.freq1 * t);
        if (s.freq2 > 0)
            v = (v + std::sin(kTwoPi * s.freq2 * t)) / 2;
        return static_cast<int16_t>(std::lround(v * s.amplitude));
    }
    case Kind::Noise: {
        m_noiseState = m_noiseState * 1664525u + 1013904223u;
        double v = static_cast<double>(m_noiseState >> 8) / (1u << 24) * 2 - 1;
        return static_cast<int16_t>(std::lround(v * s.amplitude));
    }
    case Kind::Samples: {
        // Linear interpolation from the recording's rate to the stream's.
        double src = t * s.sampleRate;
        auto k = static_cast<size_t>(src);
        if (k >= s.samples.size())
            return 0;
        double frac = src - static_cast<double>(k);
        double a = s.samples[k];
        double b = k + 1 < s.samples.size() ? s.samples[k + 1] : a;
        return static_cast<int16_t>(std::lround(a + (b - a) * frac));
    }
    }
    return 0;
}

size_t SignalSource::Render(int16_t* out, size_t n, int rate) {
    for (size_t i = 0; i < n; ++i) {
        while (m_segment < m_segments.size()) {
            const Segment& s = m_segments[m_segment];
            auto length = static_cast<size_t>(static_cast<int64_t>(s.ms) * rate / 1000);
            if (s.kind == Kind::Samples)
                length = static_cast<size_t>(static_cast<double>(s.samples.size()) * rate /
                                             s.sampleRate);
            if (m_pos < length)
                break;
            ++m_segment;
            m_pos = 0;
        }
        if (m_segment >= m_segments.size()) {
            out[i] = 0;
            continue;
        }
        out[i] = Sample(m_segments[m_segment], m_pos++, rate);
    }
    return n;
}

} // namespace modemsim
