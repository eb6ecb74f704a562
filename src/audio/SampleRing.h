// A bounded first-in first-out queue of 16-bit samples that never grows:
// a push into a full queue drops the oldest samples.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

class CSampleRing {
public:
    explicit CSampleRing(size_t capacity) : m_buf(std::max<size_t>(capacity, 1)) {}

    size_t Size() const { return m_nSize; }
    size_t Capacity() const { return m_buf.size(); }
    size_t Room() const { return m_buf.size() - m_nSize; }
    void Clear() { m_nHead = m_nSize = 0; }

    // Appends the frames, dropping the oldest ones that no longer fit;
    // returns how many were dropped.
    size_t Push(const int16_t* frames, size_t count) {
        size_t dropped = 0;
        if (count > m_buf.size()) { // only the newest fit at all
            dropped += count - m_buf.size();
            frames += dropped;
            count = m_buf.size();
        }
        if (count > Room()) {
            const size_t n = count - Room();
            Pop(nullptr, n);
            dropped += n;
        }
        for (size_t i = 0; i < count; ++i)
            m_buf[(m_nHead + m_nSize + i) % m_buf.size()] = frames[i];
        m_nSize += count;
        return dropped;
    }
    // Takes up to count frames (into out unless it is nullptr).
    size_t Pop(int16_t* out, size_t count) {
        const size_t n = std::min(count, m_nSize);
        for (size_t i = 0; out && i < n; ++i)
            out[i] = m_buf[(m_nHead + i) % m_buf.size()];
        m_nHead = (m_nHead + n) % m_buf.size();
        m_nSize -= n;
        return n;
    }

private:
    std::vector<int16_t> m_buf;
    size_t m_nHead = 0;
    size_t m_nSize = 0;
};
