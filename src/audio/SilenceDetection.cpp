#include "audio/SilenceDetection.h"

#include "platform/TickCount.h"

#include <cmath>
#include <cstdlib>

void CSilenceDetection::Reset() {
    m_nThreshold = kDefaultThreshold;
    m_nSilenceTime = 0;
    m_nCounter = 0;
    m_nSum = 0;
    m_nSumSquares = 0;
    m_nDeviation = 0;
    m_nStartTime = GetTickCount();
}

void CSilenceDetection::SetSensitivity(int nSensitivity) {
    m_nThreshold = nSensitivity < 0 ? kDefaultThreshold : nSensitivity;
}

void CSilenceDetection::AddSample(int16_t sample) {
    if (++m_nCounter > kWindow)
        m_nCounter = 0;
    m_nSum += sample;
    m_nSumSquares += static_cast<int64_t>(sample) * sample;
    if (m_nCounter != kWindow)
        return;

    int64_t meanSquare = m_nSumSquares / kWindow;
    int32_t mean = m_nSum / kWindow;
    int64_t variance = meanSquare - static_cast<int64_t>(mean) * mean;
    m_nDeviation = static_cast<int32_t>(std::sqrt(static_cast<double>(std::llabs(variance))));
    // The window's averages carry into the next one as a head start.
    m_nSumSquares = meanSquare;
    m_nSum = mean;

    auto limit = static_cast<uint32_t>(2 * static_cast<int64_t>(m_nThreshold));
    if (static_cast<uint32_t>(m_nDeviation) <= limit)
        m_nSilenceTime += 1000;
    else
        m_nSilenceTime = 0;
}

void CLevelNormalizer::NormalizeLevel(int16_t* samples, size_t count) {
    int peak = 0;
    for (size_t i = 0; i < count; ++i) {
        int a = std::abs(static_cast<int>(samples[i]));
        if (a > peak)
            peak = a;
    }
    if (peak > m_nHighestPeak)
        m_nHighestPeak = peak;
    if (peak > m_nReference) {
        m_nReference = peak;
        m_dGain = 32767.0 / peak;
    } else if (peak >= kMinPeakToAdapt && peak < m_nReference / 2) {
        m_nReference = (3 * m_nReference + peak) / 4;
        m_dGain = 32767.0 / m_nReference;
    }
    for (size_t i = 0; i < count; ++i) {
        double v = samples[i] * m_dGain;
        if (v <= -32768.0) {
            samples[i] = -32768;
            ++m_nClipped;
        } else if (v >= 32767.0) {
            samples[i] = 32767;
            ++m_nClipped;
        } else {
            samples[i] = static_cast<int16_t>(v);
        }
    }
}
