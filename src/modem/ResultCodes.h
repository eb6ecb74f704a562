// The modem result codes the AT engine returns, and what the modem log calls
// them.
#pragma once

enum ModemResult : int {
    kResultNone = 0, // nothing recognised in time
    kResultOk = 1,
    kResultVcon = 2,
    kResultConnect = 3,
    kResultEndOfVoice = 4, // DLE ETX, or a handset code
    kResultRing = 5,
    kResultBusy = 6,
    kResultVoice = 20,
    kResultRinging = 40,
    kResultCallerId = 100,
    kResultCidDate = 1001,
    kResultCidTime = 1002,
    kResultCidNmbr = 1003,
    kResultCidName = 1004,
    kResultCidMesg = 1005,
    kResultError = -1,
    kResultNoAnswer = -2,
    kResultNoCarrier = -3,
    kResultNoDialTone = -4,
};

// The two ways a command operation can leave the initialisation routines.
// A command line that moved no byte: the port is gone or stuck.
struct ModemWriteFailure {
    static constexpr int kValue = -100;
};
// A command that the modem refused or did not answer (or no open port), in
// mode 2.
struct ModemCommandFailure {
    int result = 0;
};

// Command modes: report a failure by the result, or raise ModemCommandFailure.
constexpr int kModeResult = 1;
constexpr int kModeRaise = 2;
