#include "engine/LineEventRelay.h"

#include "engine/ThreadMessages.h"
#include "platform/PrivateKeys.h"

namespace {
// A babbling line must not fill memory while a long play runs: beyond this
// many kept events the oldest go.
constexpr size_t kMaxKept = 64;
} // namespace

void CLineEventRelay::SetSink(Sink sink) {
    std::lock_guard lock(m_mutex);
    m_sink = std::move(sink);
}

void CLineEventRelay::Post(int nMessage, uintptr_t wParam, intptr_t lParam) {
    std::lock_guard lock(m_mutex);
    if ((m_bDuringSound || KeysPrivate()) &&
        (nMessage == kMsgDeviceEvent || nMessage == kMsgMediaEvent)) {
        if (m_kept.size() >= kMaxKept)
            m_kept.pop_front();
        m_kept.emplace_back(nMessage, static_cast<int>(wParam & 0xFF));
        return;
    }
    if (m_sink)
        m_sink(nMessage, wParam, lParam);
}

void CLineEventRelay::BeginSound() {
    std::lock_guard lock(m_mutex);
    m_bDuringSound = true;
    if (!KeysPrivate())
        m_kept.clear();
}

void CLineEventRelay::EndSound() {
    std::lock_guard lock(m_mutex);
    m_bDuringSound = false;
    if (KeysPrivate())
        return; // for the next sound of the one who typed them
    for (const auto& [nMessage, ch] : m_kept)
        if (m_sink)
            m_sink(nMessage, static_cast<uintptr_t>(ch), 0);
    m_kept.clear();
}

int CLineEventRelay::Take() {
    std::lock_guard lock(m_mutex);
    if (m_kept.empty())
        return -1;
    const int ch = m_kept.front().second;
    m_kept.pop_front();
    return ch;
}

bool CLineEventRelay::PlayEnds(bool bDetect, int* pEvent) {
    if (bDetect && *pEvent < 0)
        *pEvent = Take();
    return *pEvent >= 0;
}

bool CLineEventRelay::RecordingEnds(const std::function<bool(int)>& onEvent, int* pEvent) {
    for (int ch = *pEvent < 0 ? Take() : -1; ch >= 0; ch = *pEvent < 0 ? Take() : -1)
        if (!onEvent || onEvent(ch))
            *pEvent = ch;
    return *pEvent >= 0;
}
