// The far end of a test call (see FarEnd.h) run as the program sip_far_end,
// so that the test's process holds only the line's SIP stack.
#pragma once

#include "ChildProcess.h"

#include <map>
#include <string>

class CFarEndProcess {
public:
    // sFolder: a folder of its own for the stack's state.
    CFarEndProcess(const std::string& sFolder, const std::string& sPlayFile,
                   const std::string& sRecordFile);
    // Ends the program; its recording is complete then.
    ~CFarEndProcess();

    bool Call(const std::string& sTo, const std::string& sFrom,
              const std::map<std::string, std::string>& headers = {});
    bool WaitConnected();
    bool WaitEnded();
    void HangUp();
    void SendKeys(const std::string& sKeys);
    int Port() const { return m_nPort; }

private:
    // Sends one command and returns the program's answer ("" when none).
    std::string Ask(const std::string& sCommand);

    BackgroundProgram m_program;
    int m_nPort = 0;
};
