#include "engine/CommDriverCidChannel.h"

#include "modem/CommDriver.h"

#include <climits>
#include <utility>

namespace {
// The character limit of a result wait: the engine's usual one.
constexpr int kResultLimit = 65535;
} // namespace

int CCommDriverCidChannel::WaitResult(uint32_t timeoutMs) {
    m_bHeldOut = false;
    m_heldValue.reset();
    if (!m_heldFields.empty()) {
        HeldCidLine line = std::move(m_heldFields.front());
        m_heldFields.pop_front();
        m_heldValue = std::move(line.sValue);
        return line.nResult;
    }
    if (!m_sHeld.empty()) {
        // No result word matches a held line; the reader takes its text.
        m_bHeldOut = true;
        return 0;
    }
    return m_driver.WaitResult(timeoutMs, kResultLimit);
}

std::string CCommDriverCidChannel::ReadRestOfLine(size_t limit, uint32_t timeoutMs) {
    if (m_heldValue) {
        std::string held = std::move(*m_heldValue);
        m_heldValue.reset();
        return held.substr(0, limit);
    }
    std::string s;
    m_driver.RcvString(s, static_cast<int>(std::min<size_t>(limit, INT_MAX)), timeoutMs, false,
                       false);
    return s;
}

std::string CCommDriverCidChannel::LastResponse() {
    if (m_bHeldOut)
        return std::exchange(m_sHeld, {});
    return m_driver.LineBuffer();
}

void CCommDriverCidChannel::SetShortTimeouts() {
    m_driver.SetQuantumTimeouts();
}

void CCommDriverCidChannel::SetNormalTimeouts() {
    m_driver.SetDefaultTimeouts();
}
