// The lines and calls of a telephony provider, and where its messages go.
//
// A provider numbers its lines' handles from a base of its own (device id
// plus base; 0 is no handle) and its calls from a first handle of its own.
// A message of a line or of a call carries the callback instance the line
// was opened with; a message of a closed line is dropped (nobody listens).
// A request answers with an id above 0, and its reply comes through the
// queue.
//
// The table takes no lock: the provider holds its own around every use.
// The message queue is read without it.
#pragma once

#include "tapi/TapiMessageQueue.h"
#include "tapi/TapiProvider.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What every provider knows of a call; a provider's own call record adds
// what it needs.
struct TapiCall {
    uint32_t dwDevice = 0;
    uint32_t dwState = 0;
    TapiCallInfo info;
    bool bMonitorDigits = false;
};

template <class Call = TapiCall>
class CTapiCallTable {
public:
    static constexpr uint32_t kNoDevice = UINT32_MAX;

    CTapiCallTable(std::string sOwner, uint32_t dwLineHandleBase, uint32_t dwFirstCall,
                   size_t nLines)
        : m_queue(std::move(sOwner)), m_dwLineHandleBase(dwLineHandleBase),
          m_dwNextCall(dwFirstCall), m_lines(nLines) {}

    CTapiMessageQueue& Messages() { return m_queue; }

    // ---- lines --------------------------------------------------------------
    size_t LineCount() const { return m_lines.size(); }
    // Opens line dwDevice (which exists); its handle.
    uint32_t OpenLine(uint32_t dwDevice, uintptr_t dwCallback) {
        m_lines[dwDevice] = {dwDevice + m_dwLineHandleBase, dwCallback};
        return m_lines[dwDevice].hLine;
    }
    // Closes line dwDevice: nothing of it is queued from here on.
    void CloseLine(uint32_t dwDevice) {
        if (dwDevice < m_lines.size())
            m_lines[dwDevice].hLine = 0;
    }
    // Forgets the calls of line dwDevice.
    void DropCalls(uint32_t dwDevice) {
        std::erase_if(m_calls, [dwDevice](const auto& c) { return c.second.dwDevice == dwDevice; });
    }
    // The handle of line dwDevice, 0 while it is closed.
    uint32_t LineHandle(uint32_t dwDevice) const {
        return dwDevice < m_lines.size() ? m_lines[dwDevice].hLine : 0;
    }
    // The device of an open line's handle; kNoDevice for any other handle.
    uint32_t OpenDevice(uint32_t hLine) const {
        const uint32_t dwDevice = hLine - m_dwLineHandleBase;
        return LineHandle(dwDevice) != 0 ? dwDevice : kNoDevice;
    }

    // ---- calls --------------------------------------------------------------
    // Adds a call; its new handle.
    uint32_t Add(Call call) {
        const uint32_t hCall = m_dwNextCall++;
        m_calls[hCall] = std::move(call);
        return hCall;
    }
    Call* Find(uint32_t hCall) {
        auto it = m_calls.find(hCall);
        return it == m_calls.end() ? nullptr : &it->second;
    }
    const Call* Find(uint32_t hCall) const {
        auto it = m_calls.find(hCall);
        return it == m_calls.end() ? nullptr : &it->second;
    }
    bool Erase(uint32_t hCall) { return m_calls.erase(hCall) != 0; }
    std::map<uint32_t, Call>& Calls() { return m_calls; }
    const std::map<uint32_t, Call>& Calls() const { return m_calls; }

    // ---- messages -----------------------------------------------------------
    // Queues a message of a line (hDevice a line handle for LineDevState,
    // AppNewCall and Close), of a call (a call handle), or a reply.
    void Queue(uint32_t hDevice, TapiMsg id, uintptr_t p1 = 0, uintptr_t p2 = 0) {
        TapiMessage msg;
        msg.hDevice = hDevice;
        msg.dwMessageID = id;
        msg.dwParam1 = p1;
        msg.dwParam2 = p2;
        if (id != TapiMsg::Reply) {
            uint32_t dwDevice = kNoDevice;
            if (id == TapiMsg::LineDevState || id == TapiMsg::AppNewCall || id == TapiMsg::Close)
                dwDevice = hDevice - m_dwLineHandleBase;
            else if (const Call* c = Find(hDevice))
                dwDevice = c->dwDevice;
            if (LineHandle(dwDevice) == 0)
                return; // nobody listens on a closed line
            msg.dwCallbackInstance = m_lines[dwDevice].dwCallback;
        }
        m_queue.Push(msg);
    }
    // The call's new state, and its message.
    void SetState(uint32_t hCall, uint32_t dwState) {
        if (Call* c = Find(hCall)) {
            c->dwState = dwState;
            Queue(hCall, TapiMsg::CallState, dwState);
        }
    }
    // A new request's id; its reply (with result) is queued unless withheld.
    TapiResult Request(TapiResult result = 0, bool bReply = true) {
        const TapiResult id = m_nNextRequest++;
        if (m_nNextRequest <= 0)
            m_nNextRequest = 1;
        if (bReply)
            Queue(0, TapiMsg::Reply, static_cast<uintptr_t>(id),
                  static_cast<uintptr_t>(static_cast<uint32_t>(result)));
        return id;
    }

    // ---- what a call's owner asks -------------------------------------------
    TapiResult GetCallInfo(uint32_t hCall, TapiCallInfo* pInfo) const {
        const Call* c = Find(hCall);
        if (!c)
            return kTapiErrInvalCallHandle;
        *pInfo = c->info;
        return 0;
    }
    TapiResult GetCallStatus(uint32_t hCall, TapiCallStatus* pStatus) const {
        const Call* c = Find(hCall);
        if (!c)
            return kTapiErrInvalCallHandle;
        pStatus->dwCallState = c->dwState;
        return 0;
    }
    TapiResult SetMediaMode(uint32_t hCall, uint32_t dwMediaModes) {
        Call* c = Find(hCall);
        if (!c)
            return kTapiErrInvalCallHandle;
        c->info.dwMediaMode = dwMediaModes;
        return 0;
    }

private:
    struct LineSlot {
        uint32_t hLine = 0;
        uintptr_t dwCallback = 0;
    };

    CTapiMessageQueue m_queue;
    const uint32_t m_dwLineHandleBase;
    uint32_t m_dwNextCall;
    TapiResult m_nNextRequest = 1;
    std::vector<LineSlot> m_lines;
    std::map<uint32_t, Call> m_calls;
};
