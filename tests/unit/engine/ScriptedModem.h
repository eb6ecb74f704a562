// A scripted voice modem for the caller-ID reader: each step is one result the
// AT engine would classify, with what the modem sent and the rest of its line.
// Time is simulated, so deadlines are exact and nothing sleeps.
#pragma once

#include "engine/ModemCallerId.h"
#include "modem/ResultCodes.h"

#include <deque>
#include <string>
#include <vector>

class ScriptedModem : public ICallerIdChannel {
public:
    struct Step {
        int result = kResultNone;
        std::string response;   // line buffer after the result word
        std::string restOfLine; // what a ReadRestOfLine after it returns
        uint32_t afterMs = 20;  // how long the modem took to send it
    };

    // Starts the clock just below the 32-bit wrap, so every deadline crosses it.
    explicit ScriptedModem(std::vector<Step> steps = {}, uint32_t start = 0xFFFFFF00u)
        : m_steps(steps.begin(), steps.end()), m_now(start) {}

    int WaitResult(uint32_t timeoutMs) override {
        waits.push_back(timeoutMs);
        if (m_steps.empty() || m_steps.front().afterMs > timeoutMs) {
            if (!m_steps.empty())
                m_steps.front().afterMs -= timeoutMs;
            m_now += timeoutMs;
            m_response.clear();
            m_rest.clear();
            return kResultNone;
        }
        Step s = m_steps.front();
        m_steps.pop_front();
        m_now += s.afterMs;
        m_response = s.response;
        m_rest = s.restOfLine;
        return s.result;
    }
    std::string ReadRestOfLine(size_t limit, uint32_t) override {
        ++linesRead;
        std::string r = m_rest.substr(0, limit);
        m_rest.clear();
        return r;
    }
    std::string LastResponse() override { return m_response; }
    void SetShortTimeouts() override { timeouts.push_back('S'); }
    void SetNormalTimeouts() override { timeouts.push_back('N'); }
    uint32_t Now() override { return m_now; }

    size_t Left() const { return m_steps.size(); }

    std::vector<uint32_t> waits; // the time-out of every WaitResult
    std::string timeouts;        // 'S' short, 'N' normal, in order
    int linesRead = 0;

private:
    std::deque<Step> m_steps;
    uint32_t m_now;
    std::string m_response;
    std::string m_rest;
};

inline ScriptedModem::Step Ring(uint32_t afterMs = 20) {
    return {kResultRing, "\r\nRING", "", afterMs};
}
inline ScriptedModem::Step Field(int code, std::string value, uint32_t afterMs = 20) {
    return {code, "", " = " + value, afterMs};
}
inline ScriptedModem::Step Date(std::string v) {
    return Field(kResultCidDate, std::move(v));
}
inline ScriptedModem::Step Time(std::string v) {
    return Field(kResultCidTime, std::move(v));
}
inline ScriptedModem::Step Nmbr(std::string v) {
    return Field(kResultCidNmbr, std::move(v));
}
inline ScriptedModem::Step Name(std::string v) {
    return Field(kResultCidName, std::move(v));
}
inline ScriptedModem::Step Mesg(std::string v) {
    return Field(kResultCidMesg, std::move(v));
}
// A line no result word matches (how the hardware type sends its digits):
// the AT engine waits out its time-out and leaves the text in its buffer.
inline ScriptedModem::Step Unmatched(std::string text) {
    return {kResultNone, std::move(text), "", 20};
}
