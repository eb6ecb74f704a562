// A queue of sound between two clocks that tick at nearly the same rate
// (a sound card and a telephone line): one side pushes as its clock goes,
// the other pops as its own goes. It never grows beyond its capacity (the
// oldest sound is dropped) and never makes the popper wait (silence fills
// in). After running dry it first gathers a cushion again, a little larger
// each time, so the jitter between the two sides stops causing gaps; and
// when for a while it never came within a step of running dry, it drops the
// sound it need not hold, so the delay comes down again.
// Not thread-safe: the owner locks.
#pragma once

#include "audio/SampleRing.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

class CClockFifo {
public:
    struct Sizes {          // all in samples
        size_t nCapacity;   // the most it keeps
        size_t nCushion;    // gathered before the first pop
        size_t nStep;       // the cushion's growth, and the margin kept
        size_t nMaxCushion; // the cushion's limit
        size_t nWindow;     // popped between two looks at the margin
    };
    explicit CClockFifo(const Sizes& sizes)
        : m_sizes(sizes), m_ring(sizes.nCapacity), m_nCushion(sizes.nCushion) {}

    void Push(const int16_t* frames, size_t count) {
        m_nDropped += m_ring.Push(frames, count);
        if (m_ring.Size() >= m_nCushion)
            m_bPrimed = true;
    }
    void Pop(int16_t* frames, size_t count) {
        const size_t n = m_bPrimed ? m_ring.Pop(frames, count) : 0;
        std::fill(frames + n, frames + count, int16_t{0});
        if (n < count) {
            m_nPadded += count - n;
            if (m_bPrimed) {
                m_bPrimed = false;
                m_nCushion = std::min(m_nCushion + m_sizes.nStep, m_sizes.nMaxCushion);
            }
            m_nLeast = 0;
        }
        m_nLeast = std::min(m_nLeast, m_ring.Size());
        m_nPopped += count;
        if (m_nPopped >= m_sizes.nWindow) {
            if (m_nLeast > m_sizes.nStep && m_nLeast != kNone)
                m_nDropped += m_ring.Pop(nullptr, m_nLeast - m_sizes.nStep);
            m_nPopped = 0;
            m_nLeast = kNone;
        }
    }

    size_t Size() const { return m_ring.Size(); }
    uint64_t Padded() const { return m_nPadded; }
    uint64_t Dropped() const { return m_nDropped; }

private:
    static constexpr size_t kNone = std::numeric_limits<size_t>::max();
    Sizes m_sizes;
    CSampleRing m_ring;
    size_t m_nCushion;
    bool m_bPrimed = false;
    size_t m_nPopped = 0;    // since the last look
    size_t m_nLeast = kNone; // the least left after a pop since then
    uint64_t m_nPadded = 0;
    uint64_t m_nDropped = 0;
};
