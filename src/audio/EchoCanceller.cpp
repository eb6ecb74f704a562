#include "audio/EchoCanceller.h"

#include <speex/speex_echo.h>

namespace {
// Room for the delay and a second of sound the microphone has not caught up with.
constexpr size_t kReferenceSlack = 8000;
} // namespace

CEchoCanceller::CEchoCanceller(size_t nTail, size_t nDelay, bool bEnabled)
    : m_reference(nDelay + kReferenceSlack) {
    if (!bEnabled)
        return;
    m_pEc = speex_echo_state_init(static_cast<int>(kFrame), static_cast<int>(nTail));
    int rate = 8000;
    speex_echo_ctl(m_pEc, SPEEX_ECHO_SET_SAMPLING_RATE, &rate);
    const std::vector<int16_t> silence(nDelay, 0);
    m_reference.Push(silence.data(), silence.size());
}

CEchoCanceller::~CEchoCanceller() {
    if (m_pEc)
        speex_echo_state_destroy(m_pEc);
}

void CEchoCanceller::Played(const int16_t* frames, size_t count) {
    if (m_pEc)
        m_reference.Push(frames, count);
}

void CEchoCanceller::Clean(const int16_t* frames, size_t count, std::vector<int16_t>& out) {
    if (!m_pEc) {
        out.insert(out.end(), frames, frames + count);
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        int16_t reference = 0;
        m_reference.Pop(&reference, 1); // silence when the speaker is behind
        m_mic.push_back(frames[i]);
        m_speaker.push_back(reference);
        if (m_mic.size() == kFrame) {
            const size_t at = out.size();
            out.resize(at + kFrame);
            speex_echo_cancellation(m_pEc, m_mic.data(), m_speaker.data(), out.data() + at);
            m_mic.clear();
            m_speaker.clear();
        }
    }
}
