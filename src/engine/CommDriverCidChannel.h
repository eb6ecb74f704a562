// The caller-ID reader's view of the serial modem driver.
#pragma once

#include "engine/ModemCallerId.h"

class CCommDriver;

class CCommDriverCidChannel : public ICallerIdChannel {
public:
    explicit CCommDriverCidChannel(CCommDriver& driver) : m_driver(driver) {}

    int WaitResult(uint32_t timeoutMs) override;
    std::string ReadRestOfLine(size_t limit, uint32_t timeoutMs) override;
    std::string LastResponse() override;
    void SetShortTimeouts() override;
    void SetNormalTimeouts() override;

private:
    CCommDriver& m_driver;
};
