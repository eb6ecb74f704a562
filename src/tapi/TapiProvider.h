// The provider under the telephony classes: the functions of a telephony
// interface (initialise, line devices and their capabilities, open with
// media modes, calls and their info, digits, hand-off, the sound devices of
// a call, and a message queue with asynchronous replies).
//
// A SIP stack, the simulated provider of the tests and the demo, or a
// platform telephony library sits behind it. Handles are the provider's own
// numbers (0 is none); a call that answers asynchronously returns a request
// id above 0 and later queues a reply message with that id and its result.
#pragma once

#include "tapi/TapiTypes.h"

#include <cstdint>
#include <string>

class ISoundBackend;

// Message ids of the queue (the values of the platform interface).
enum class TapiMsg : uint32_t {
    AddressState = 0,
    CallInfo = 1,      // hDevice: call; param1: what changed (kCallInfo*)
    CallState = 2,     // hDevice: call; param1: state; param2: state detail
    Close = 3,         // hDevice: line
    LineDevState = 8,  // hDevice: line; param1: device state
    MonitorDigits = 9, // hDevice: call; param1: digit; param2: digit mode
    MonitorMedia = 10, // hDevice: call; param1: media mode
    MonitorTone = 11,  // hDevice: call; param1: the tone's value
    Reply = 12,        // param1: request id; param2: result
    Create = 19,       // param1: new line device id
    AppNewCall = 23,   // hDevice: line; param1: address id; param2: call
    Remove = 25,       // param1: line device id removed
};

struct TapiMessage {
    uint32_t hDevice = 0;
    TapiMsg dwMessageID = TapiMsg::AddressState;
    uintptr_t dwCallbackInstance = 0; // given to Open; 0 for messages of no line
    uintptr_t dwParam1 = 0;
    uintptr_t dwParam2 = 0;
    uintptr_t dwParam3 = 0;
};

struct TapiLineCaps {
    std::string sLineName; // may be empty (the line has no name)
    uint32_t dwMediaModes = 0;
    uint32_t dwNumAddresses = 1;
};

// How an open line stands: in service (it can take calls) or not, in the
// provider's words ("registered with example.com for 600 s").
struct TapiLineStatus {
    bool bInService = true;
    bool bPending = false; // still being set up (a registration under way)
    std::string sText;
};

struct TapiCallInfo {
    uint32_t dwCallerIDFlags = 0;
    std::string sCallerID;     // the number, when kCallerIdAddress
    std::string sCallerIDName; // the name, when kCallerIdName
    uint32_t dwMediaMode = 0;
    uint32_t dwAddressID = 0;
};

struct TapiCallStatus {
    uint32_t dwCallState = 0;
    uint32_t dwCallStateMode = 0;
};

class ITapiProvider {
public:
    virtual ~ITapiProvider() = default;

    // ---- line application ----------------------------------------------
    // Starts the application; *pNumDevs gets the number of line devices.
    virtual TapiResult Initialize(const std::string& sAppName, uint32_t* pNumDevs) = 0;
    // Ends it: every open line closes and GetMessage answers
    // kTapiErrInvalAppHandle from now on (a waiting GetMessage at once).
    virtual TapiResult Shutdown() = 0;
    virtual TapiResult NegotiateApiVersion(uint32_t dwDeviceID, uint32_t dwLow, uint32_t dwHigh,
                                           uint32_t* pVersion) = 0;
    virtual TapiResult GetDevCaps(uint32_t dwDeviceID, uint32_t dwVersion, TapiLineCaps* pCaps) = 0;
    // Waits up to dwTimeoutMs (kTapiWaitForever: no limit) for one message.
    virtual TapiResult GetMessage(TapiMessage* pMsg, uint32_t dwTimeoutMs) = 0;

    // ---- lines ------------------------------------------------------------
    virtual TapiResult Open(uint32_t dwDeviceID, uintptr_t dwCallbackInstance,
                            uint32_t dwPrivileges, uint32_t dwMediaModes, uint32_t* phLine) = 0;
    virtual TapiResult Close(uint32_t hLine) = 0;
    // Why the last Open of the device failed, in words for the user; empty
    // when the provider has nothing to add to the error code.
    virtual std::string OpenFailure(uint32_t /*dwDeviceID*/) { return {}; }
    virtual TapiResult SetStatusMessages(uint32_t hLine, uint32_t dwLineStates,
                                         uint32_t dwAddressStates) = 0;
    // The open line's status; a provider whose lines are always in service
    // need not say more.
    virtual TapiResult GetLineDevStatus(uint32_t /*hLine*/, TapiLineStatus* pStatus) {
        *pStatus = {};
        return 0;
    }
    // Places a call (an empty number: the line is taken, nothing dialled).
    virtual TapiResult MakeCall(uint32_t hLine, uint32_t* phCall, const std::string& sNumber) = 0;

    // ---- calls ------------------------------------------------------------
    virtual TapiResult Answer(uint32_t hCall) = 0;
    virtual TapiResult Accept(uint32_t hCall) = 0;
    virtual TapiResult Dial(uint32_t hCall, const std::string& sNumber) = 0;
    virtual TapiResult Drop(uint32_t hCall) = 0;
    virtual TapiResult Deallocate(uint32_t hCall) = 0;
    virtual TapiResult GenerateDigits(uint32_t hCall, uint32_t dwDigitMode,
                                      const std::string& sDigits) = 0;
    virtual TapiResult MonitorDigits(uint32_t hCall, uint32_t dwDigitModes) = 0;
    virtual TapiResult SetMediaMode(uint32_t hCall, uint32_t dwMediaModes) = 0;
    // Hands the call to another application: by its name (sTarget, media
    // mode 0) or to whichever takes dwMediaMode (sTarget empty). A SIP
    // provider transfers the call.
    virtual TapiResult Handoff(uint32_t hCall, const std::string& sTarget, uint32_t dwMediaMode) = 0;
    // Sends an offered call, not answered, on to sAddress (a SIP provider
    // answers the call's INVITE with 302 and the address as its Contact).
    virtual TapiResult Redirect(uint32_t /*hCall*/, const std::string& /*sAddress*/) {
        return kTapiErrOperationUnavail;
    }
    // Transfers a call in progress to sAddress, with nothing asked of the
    // address first (a SIP provider sends a REFER); the reply says whether
    // the far end took the transfer.
    virtual TapiResult BlindTransfer(uint32_t /*hCall*/, const std::string& /*sAddress*/) {
        return kTapiErrOperationUnavail;
    }
    virtual TapiResult GetCallInfo(uint32_t hCall, TapiCallInfo* pInfo) = 0;
    virtual TapiResult GetCallStatus(uint32_t hCall, TapiCallStatus* pStatus) = 0;
    // The sound device id of a call for a device class ("wave/in",
    // "wave/out"), as SoundBackend() numbers its devices.
    virtual TapiResult GetID(uint32_t hCall, const std::string& sDeviceClass, uint32_t* pId) = 0;
    // Whose devices GetID names: a provider that carries the calls' sound
    // itself has a backend of its own; nullptr is the process's backend.
    virtual ISoundBackend* SoundBackend() { return nullptr; }

    // ---- phone devices (none unless a provider has them) -------------------
    virtual TapiResult PhoneInitialize(uint32_t* pNumDevs) {
        *pNumDevs = 0;
        return 0;
    }
    virtual TapiResult PhoneNegotiateApiVersion(uint32_t, uint32_t dwLow, uint32_t, uint32_t* pV) {
        *pV = dwLow;
        return 0;
    }
    // Like GetMessage for phone devices.
    virtual TapiResult PhoneGetMessage(TapiMessage*, uint32_t) { return kTapiErrInvalAppHandle; }
    virtual TapiResult PhoneShutdown() { return 0; }
};

constexpr uint32_t kTapiWaitForever = 0xFFFFFFFF;
