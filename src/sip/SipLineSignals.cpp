#include "sip/SipLineSignals.h"

#include <algorithm>

CSipLineSignals::CSipLineSignals()
    : m_detector([this](const LineSignal& s) { m_heard.push_back(s); }) {
    m_taken.reserve(kCapacity);
}

void CSipLineSignals::Put(const int16_t* pSamples, size_t nSamples) {
    if (!m_bListening.load(std::memory_order_relaxed))
        return;
    std::lock_guard lock(m_mutex);
    const size_t n = std::min(nSamples, kCapacity - m_nCount);
    for (size_t i = 0; i < n; ++i)
        m_buffer[(m_nStart + m_nCount + i) % kCapacity] = pSamples[i];
    m_nCount += n;
    m_nDropped += nSamples - n;
}

void CSipLineSignals::Listen() {
    {
        std::lock_guard lock(m_mutex);
        m_nStart = 0;
        m_nCount = 0;
        m_nDropped = 0;
    }
    m_detector.Reset();
    m_heard.clear();
    m_bListening = true;
}

void CSipLineSignals::Stop() {
    m_bListening = false;
}

std::vector<LineSignal> CSipLineSignals::Hear() {
    m_taken.clear();
    {
        std::lock_guard lock(m_mutex);
        for (size_t i = 0; i < m_nCount; ++i)
            m_taken.push_back(m_buffer[(m_nStart + i) % kCapacity]);
        m_nStart = (m_nStart + m_nCount) % kCapacity;
        m_nCount = 0;
    }
    m_heard.clear();
    if (!m_taken.empty())
        m_detector.Feed(m_taken.data(), m_taken.size());
    return std::move(m_heard);
}

uint64_t CSipLineSignals::Dropped() const {
    std::lock_guard lock(m_mutex);
    return m_nDropped;
}
