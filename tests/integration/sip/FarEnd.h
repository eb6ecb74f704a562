// The far end of a test call: the program sip_far_end (FarEndMain.cpp), a
// SIP phone of its own on 127.0.0.1, driven over its standard input.
#pragma once

#include "ChildProcess.h"

#include <map>
#include <string>

class CFarEnd {
public:
    // sFolder: a folder of its own for the stack's state; sPlayFile is what
    // it says, sRecordFile what it hears.
    CFarEnd(const std::string& sFolder, const std::string& sPlayFile,
            const std::string& sRecordFile);
    // Ends the program; its recording is complete then.
    ~CFarEnd();

    // Calls sTo with the From "sFrom" and the extra headers.
    bool Call(const std::string& sTo, const std::string& sFrom,
              const std::map<std::string, std::string>& headers = {});
    // Wait (at most 30 s) until the call is connected with sound flowing,
    // or has ended.
    bool WaitConnected() { return Ask("connected") == "yes"; }
    // Waits (at most 30 s) for a call to it and answers it; true once connected.
    bool Answer() { return Ask("answer") == "yes"; }
    // Its call has ended, declined busy.
    bool EndedBusy() { return Ask("busy") == "yes"; }
    // Its call has ended, declined (603).
    bool EndedDeclined() { return Ask("declined") == "yes"; }
    // Its address, for calls to it.
    std::string Uri() const { return "sip:far@127.0.0.1:" + std::to_string(m_nPort); }
    bool WaitEnded() { return Ask("ended") == "yes"; }
    void HangUp() { Ask("hangup"); }
    // Sends touch-tone keys (RFC 4733).
    void SendKeys(const std::string& sKeys) { Ask("keys\t" + sKeys); }

private:
    // Sends one command and returns the program's answer ("" when none).
    std::string Ask(const std::string& sCommand);

    BackgroundProgram m_program;
    int m_nPort = 0;
};
