// Silence detection over one-second windows, and the software level
// normaliser applied to decoded modem voice and captured sound.
#pragma once

#include <cstddef>
#include <cstdint>

class CSilenceDetection {
public:
    static constexpr int kDefaultThreshold = 50;
    static constexpr int kWindow = 8000;

    CSilenceDetection() { Reset(); }

    // Threshold back to 50, silence time and sums to 0, start time to now.
    void Reset();
    // Sets the threshold from the configured sensitivity. A negative value
    // (the default -1) means the default threshold: taken literally it would
    // make every window count as quiet and stop a recording mid-sentence.
    void SetSensitivity(int nSensitivity);
    void AddSample(int16_t sample);

    // Milliseconds of consecutive quiet windows.
    int64_t SilenceTime() const { return m_nSilenceTime; }
    int Threshold() const { return m_nThreshold; }
    int LastDeviation() const { return m_nDeviation; }
    uint32_t StartTime() const { return m_nStartTime; }
    // The caller's test: the silence time has reached the time-out, given in
    // tenths of a second.
    bool TimedOut(int nTimeoutTenths) const {
        return m_nSilenceTime >= static_cast<int64_t>(nTimeoutTenths) * 100;
    }

private:
    uint32_t m_nStartTime = 0;
    int32_t m_nThreshold = kDefaultThreshold;
    int64_t m_nSilenceTime = 0;
    int m_nSampleRate = 8000; // the measure counts samples, not time
    int32_t m_nCounter = 0;
    int32_t m_nSum = 0;
    int64_t m_nSumSquares = 0;
    int32_t m_nDeviation = 0;
};

// Raises quiet blocks toward full scale: the gain follows the loudest peak
// seen, and eases back up when the level has dropped to less than half of it.
// One per phone; the reference peak is shared by everything it normalises.
class CLevelNormalizer {
public:
    static constexpr int kInitialReference = 2000;
    static constexpr int kMinPeakToAdapt = 501;

    void NormalizeLevel(int16_t* samples, size_t count);

    double Gain() const { return m_dGain; }
    int HighestPeak() const { return m_nHighestPeak; }
    int Reference() const { return m_nReference; }
    int Clipped() const { return m_nClipped; }

private:
    double m_dGain = 1.0;
    int m_nHighestPeak = 0;
    int m_nClipped = 0;
    int m_nReference = kInitialReference;
};
