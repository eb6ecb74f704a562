// The caller-ID reader's view of the serial modem driver.
#pragma once

#include "engine/ModemCallerId.h"

#include <string>

class CCommDriver;

class CCommDriverCidChannel : public ICallerIdChannel {
public:
    // heldLine: a caller-ID line the worker already read with the ring that
    // started the reading; the first wait hands it over before the port's.
    explicit CCommDriverCidChannel(CCommDriver& driver, std::string heldLine = {})
        : m_driver(driver), m_sHeld(std::move(heldLine)) {}

    int WaitResult(uint32_t timeoutMs) override;
    std::string ReadRestOfLine(size_t limit, uint32_t timeoutMs) override;
    std::string LastResponse() override;
    void SetShortTimeouts() override;
    void SetNormalTimeouts() override;

private:
    CCommDriver& m_driver;
    std::string m_sHeld;
    bool m_bHeldOut = false; // the held line is the last response
};
