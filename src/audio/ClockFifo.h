// A queue of sound between two clocks that tick at nearly the same rate
// (a sound card and a telephone line): one side pushes as its clock goes,
// the other pops as its own goes. It never grows beyond its capacity (the
// oldest sound is dropped) and never makes the popper wait (silence fills
// in). After running dry it first gathers a cushion again, a little larger
// each time, so the jitter between the two sides stops causing gaps.
// Not thread-safe: the owner locks.
#pragma once

#include "audio/SampleRing.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

class CClockFifo {
public:
    // All in samples: the most kept, the first cushion, its growth and limit.
    CClockFifo(size_t capacity, size_t cushion, size_t step, size_t maxCushion)
        : m_ring(capacity), m_nCushion(cushion), m_nStep(step), m_nMaxCushion(maxCushion) {}

    void Push(const int16_t* frames, size_t count) {
        m_nDropped += m_ring.Push(frames, count);
        if (m_ring.Size() >= m_nCushion)
            m_bPrimed = true;
    }
    void Pop(int16_t* frames, size_t count) {
        const size_t n = m_bPrimed ? m_ring.Pop(frames, count) : 0;
        std::fill(frames + n, frames + count, int16_t{0});
        if (n == count)
            return;
        m_nPadded += count - n;
        if (m_bPrimed) {
            m_bPrimed = false;
            m_nCushion = std::min(m_nCushion + m_nStep, m_nMaxCushion);
        }
    }

    size_t Size() const { return m_ring.Size(); }
    uint64_t Padded() const { return m_nPadded; }
    uint64_t Dropped() const { return m_nDropped; }

private:
    CSampleRing m_ring;
    size_t m_nCushion;
    size_t m_nStep;
    size_t m_nMaxCushion;
    bool m_bPrimed = false;
    uint64_t m_nPadded = 0;
    uint64_t m_nDropped = 0;
};
