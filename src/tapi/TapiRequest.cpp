#include "tapi/TapiRequest.h"

#include "platform/TickCount.h"

#include <chrono>

namespace {
// The round of a wait: the pump runs this often.
constexpr uint32_t kWaitRoundMs = 5;
} // namespace

void CTapiRequest::Complete(TapiResult nResult, uint32_t dwTick) {
    {
        std::lock_guard lock(m_mutex);
        m_nResult = nResult;
        m_dwReplyTick = dwTick;
        m_bComplete = true;
    }
    m_cv.notify_all();
}

void CTapiRequest::Reset() {
    std::lock_guard lock(m_mutex);
    m_bComplete = false;
    m_nResult = -1;
    m_dwReplyTick = 0;
}

bool CTapiRequest::IsComplete() const {
    std::lock_guard lock(m_mutex);
    return m_bComplete;
}

uint32_t CTapiRequest::ReplyTick() const {
    std::lock_guard lock(m_mutex);
    return m_dwReplyTick;
}

TapiResult CTapiRequest::Result() const {
    std::lock_guard lock(m_mutex);
    return m_nResult;
}

TapiResult CTapiRequest::Wait(int64_t nLimitMs, const std::function<bool()>& pump) {
    const bool bLimited = nLimitMs > 0;
    const uint32_t dwStart = GetTickCount();
    for (;;) {
        if (pump && !pump())
            return -1;
        {
            std::unique_lock lock(m_mutex);
            uint32_t dwRound = kWaitRoundMs;
            if (bLimited) {
                const int64_t nLeft = nLimitMs - static_cast<int64_t>(GetTickCount() - dwStart);
                if (nLeft <= 0)
                    return m_bComplete ? m_nResult : -1;
                dwRound = static_cast<uint32_t>(std::min<int64_t>(nLeft, kWaitRoundMs));
            }
            if (m_cv.wait_for(lock, std::chrono::milliseconds(dwRound),
                              [this] { return m_bComplete; }))
                return m_nResult;
        }
    }
}
