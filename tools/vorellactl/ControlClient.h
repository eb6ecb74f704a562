// vorellactl's side of external control: it writes a command into the
// running instance's block, sends the "call" request over the control socket
// and reads the reply from the block, as any program driving Vorella would.
#pragma once

#include "app/CommBlock.h"
#include "platform/SharedMemory.h"

#include <cstdint>
#include <string>

// Process exit codes, one per kind of failure so that scripts can tell them apart.
enum CtlExit : int {
    kExitOk = 0,
    kExitRejected = 1,   // the instance did not carry the command out
    kExitUsage = 2,      // bad command line
    kExitNotRunning = 3, // no instance is running
    kExitNoReply = 4,    // the instance did not answer in time
    kExitRefused = 5,    // another user's instance, or the runtime folder is not private
    kExitFailed = 6,     // anything else
};

struct CtlOutcome {
    int nExit = kExitOk;
    std::string sError;
    CommBlockData reply;
};

class CControlClient {
public:
    explicit CControlClient(uint32_t timeoutMs) : m_nTimeoutMs(timeoutMs) {}

    // Finds the running instance, opens its block and takes the block's lock
    // for the rest of this client's life.
    CtlOutcome Connect();

    // Runs one command; with bReply the block is read back into the outcome.
    CtlOutcome Call(const CommBlockData& request, bool bReply);

    // The diagnostics report a code 13 call left in the block.
    CtlOutcome ReadReport(std::string* report);

    // Sends a plain request word ("show", "quit") to the instance.
    CtlOutcome Ask(const std::string& word);

private:
    CtlOutcome Failure(int code, std::string error) const;

    uint32_t m_nTimeoutMs;
    std::string m_sSocket;
    SharedMemoryBlock m_block;
};
