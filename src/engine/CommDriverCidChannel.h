// The caller-ID reader's view of the serial modem driver.
#pragma once

#include "engine/ModemCallerId.h"
#include "modem/CommDriver.h"

#include <deque>
#include <optional>
#include <string>

class CCommDriverCidChannel : public ICallerIdChannel {
public:
    // heldLine: a bare digit line the worker already read with the ring that
    // started the reading; heldFields: field lines read while waiting for
    // the ring or while the modem was set up. The first waits hand them
    // over, in the order they came, before the port's.
    explicit CCommDriverCidChannel(CCommDriver& driver, std::string heldLine = {},
                                   std::deque<HeldCidLine> heldFields = {})
        : m_driver(driver), m_sHeld(std::move(heldLine)), m_heldFields(std::move(heldFields)) {}

    int WaitResult(uint32_t timeoutMs) override;
    std::string ReadRestOfLine(size_t limit, uint32_t timeoutMs) override;
    std::string LastResponse() override;
    void SetShortTimeouts() override;
    void SetNormalTimeouts() override;

private:
    CCommDriver& m_driver;
    std::string m_sHeld;
    bool m_bHeldOut = false; // the held line is the last response
    std::deque<HeldCidLine> m_heldFields;
    std::optional<std::string> m_heldValue; // the rest of the field line just handed over
};
