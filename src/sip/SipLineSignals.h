// The line signals in what a SIP call's far end says: a fax machine's
// calling tone, busy and dial tone (the sound is all a SIP line has of
// them). The media streamer's thread hands each block over (Put: a copy
// into a fixed buffer, nothing more, so its clock never waits on the
// signal processing); the provider's thread runs the detector on what has
// come since (Hear).
#pragma once

#include "linesig/LineSignalDetector.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class CSipLineSignals {
public:
    CSipLineSignals();
    CSipLineSignals(const CSipLineSignals&) = delete;
    CSipLineSignals& operator=(const CSipLineSignals&) = delete;

    // Media streamer's thread: a block of the far end's sound, 8000
    // samples/s mono. Ignored while not listening; what does not fit is
    // counted and left out.
    void Put(const int16_t* pSamples, size_t nSamples);

    // Provider's thread. Listen starts afresh, as for a new call (nothing
    // heard before counts); Stop lets the sound pass unheard.
    void Listen();
    void Stop();
    bool IsListening() const { return m_bListening; }
    // Runs the sound handed over since the last time through the detector
    // and returns what it heard, in order.
    std::vector<LineSignal> Hear();
    // Samples left out since Listen, as the provider's thread fell behind.
    uint64_t Dropped() const;

    // A second of sound: the provider's thread comes every 40 ms while a
    // line has a call.
    static constexpr size_t kCapacity = 8000;

private:
    std::atomic<bool> m_bListening{false};

    mutable std::mutex m_mutex; // guards the buffer and the count below
    std::array<int16_t, kCapacity> m_buffer{};
    size_t m_nStart = 0;
    size_t m_nCount = 0;
    uint64_t m_nDropped = 0;

    // The provider's thread only.
    std::vector<int16_t> m_taken;
    std::vector<LineSignal> m_heard;
    CLineSignalDetector m_detector;
};
