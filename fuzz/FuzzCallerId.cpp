// The modem's caller-ID lines are whatever the line and the modem send. The
// input is a script: per step one byte choosing the result, one byte of
// delay, one length byte and that many bytes of line text.
#include "CallerIdFieldCheck.h"
#include "engine/CallerIdDisplay.h"
#include "engine/LoggingUiBridge.h"
#include "engine/ModemCallerId.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr int kResults[] = {0, 1, 5, 5, 1001, 1002, 1003, 1003, 1004, 1005, 1005, -1, 100, 6};

class FuzzChannel : public ICallerIdChannel {
public:
    FuzzChannel(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    int WaitResult(uint32_t timeoutMs) override {
        m_text.clear();
        if (m_pos + 3 > m_size) {
            m_now += timeoutMs;
            return 0;
        }
        int r = kResults[m_data[m_pos] % std::size(kResults)];
        m_now += m_data[m_pos + 1] * 4u;
        size_t len = m_data[m_pos + 2];
        m_pos += 3;
        len = std::min(len, m_size - m_pos);
        m_text.assign(reinterpret_cast<const char*>(m_data + m_pos), len);
        m_pos += len;
        return r;
    }
    std::string ReadRestOfLine(size_t limit, uint32_t) override { return m_text.substr(0, limit); }
    std::string LastResponse() override { return m_text; }
    void SetShortTimeouts() override {}
    void SetNormalTimeouts() override {}
    uint32_t Now() override { return m_now; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    uint32_t m_now = 0xFFFF0000u;
    std::string m_text;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int type = 0; type <= 6; ++type) {
        FuzzChannel ch(data, size);
        CidReadSettings s;
        s.nCIDType = type;
        s.bTreatZeroNumberAsUnknown = type % 2;
        CNumber call;
        ReadModemCallerId(ch, s, call);
        CLoggingUiBridge ui;
        FinishCallerId(call, true, ui);
        for (const std::string* f :
             {&call.m_sNumber, &call.m_sName, &call.m_sCidMessage, &call.m_sDate, &call.m_sTime})
            CheckField(*f);
        if (call.m_sDisplayNumber.size() > 300)
            std::abort();
    }
    return 0;
}
