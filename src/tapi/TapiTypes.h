// The telephony layer's numbers: result codes, line and call states, media
// modes, caller-ID flags and the messages posted to the call engine. They
// keep the values of the platform telephony interface the layer was first
// written against, so a provider for it passes them through unchanged.
#pragma once

#include <cstdint>
#include <string>

// Result codes: 0 success, a positive request id for an asynchronous call,
// a negative error.
using TapiResult = int32_t;

constexpr TapiResult TapiError(uint32_t code) {
    return static_cast<TapiResult>(code);
}
constexpr TapiResult kTapiErrInvalAppHandle = TapiError(0x80000014);
constexpr TapiResult kTapiErrInvalMediaMode = TapiError(0x8000002F);
constexpr TapiResult kTapiErrNoDevice = TapiError(0x80000044);
constexpr TapiResult kTapiErrNoMem = TapiError(0x80000048);
constexpr TapiResult kTapiErrReinit = TapiError(0x80000052);
constexpr TapiResult kTapiErrInvalCallHandle = TapiError(0x80000018);
constexpr TapiResult kTapiErrInvalLineHandle = TapiError(0x8000002B);
constexpr TapiResult kTapiErrResourceUnavail = TapiError(0x80000047);
constexpr TapiResult kTapiErrOperationUnavail = TapiError(0x80000050);

// The versions the layer asks for.
constexpr uint32_t kTapiVersionApp = 0x00020002;
constexpr uint32_t kTapiVersionLow = 0x00010003;
constexpr uint32_t kTapiVersionHigh = 0x00030001;
constexpr uint32_t kTapiPhoneVersionHigh = 0x00020001;

// Media modes.
constexpr uint32_t kMediaUnknown = 0x02;
constexpr uint32_t kMediaInteractiveVoice = 0x04;
constexpr uint32_t kMediaAutomatedVoice = 0x08;
constexpr uint32_t kMediaDataModem = 0x10;
constexpr uint32_t kMediaG3Fax = 0x20;
constexpr uint32_t kMediaG4Fax = 0x80;
// A line worth listing carries voice or modem data.
constexpr uint32_t kMediaListable = kMediaInteractiveVoice | kMediaDataModem;

// Open privileges: monitor (2) and owner (4).
constexpr uint32_t kPrivilegeMonitor = 0x02;
constexpr uint32_t kPrivilegeOwner = 0x04;

// Line device states.
constexpr uint32_t kLineDevStateRinging = 0x02;
constexpr uint32_t kLineDevStateMsgWaitOn = 0x10;
constexpr uint32_t kLineDevStateMsgWaitOff = 0x20;
// The line can take calls again, or no longer can (GetLineDevStatus says why).
constexpr uint32_t kLineDevStateInService = 0x100;
constexpr uint32_t kLineDevStateOutOfService = 0x200;

// Call states.
constexpr uint32_t kCallIdle = 0x0001;
constexpr uint32_t kCallOffering = 0x0002;
constexpr uint32_t kCallAccepted = 0x0004;
constexpr uint32_t kCallDialTone = 0x0008;
constexpr uint32_t kCallDialing = 0x0010;
constexpr uint32_t kCallRingBack = 0x0020;
constexpr uint32_t kCallBusy = 0x0040;
constexpr uint32_t kCallSpecialInfo = 0x0080;
constexpr uint32_t kCallConnected = 0x0100;
constexpr uint32_t kCallProceeding = 0x0200;
constexpr uint32_t kCallConferenced = 0x0800;
constexpr uint32_t kCallDisconnected = 0x4000;
constexpr uint32_t kCallUnknown = 0x8000;

// Call info states (what changed).
constexpr uint32_t kCallInfoCallerId = 0x8000;

// Caller-ID flags of the call info.
constexpr uint32_t kCallerIdBlocked = 0x01;
constexpr uint32_t kCallerIdOutOfArea = 0x02;
constexpr uint32_t kCallerIdName = 0x04;
constexpr uint32_t kCallerIdAddress = 0x08;

// Digit modes.
constexpr uint32_t kDigitModePulse = 0x01;
constexpr uint32_t kDigitModeDtmf = 0x02;

// Messages posted to the call engine (thread messages 1025 ... 1035).
constexpr int kTapiMsgRing = 1025;
constexpr int kTapiMsgCallerId = 1027;
constexpr int kTapiMsgHangUp = 1029;
constexpr int kTapiMsgDigit = 1031;
constexpr int kTapiMsgTone = 1032;
constexpr int kTapiMsgNewCall = 1034;
constexpr int kTapiMsgDeallocated = 1035;

// The characters message 1032 carries for a media mode.
constexpr int kToneCharDataModem = 102; // 'f'
constexpr int kToneCharFax = 99;        // 'c'
// The characters a provider reports tones by (message 1032 carries them).
constexpr int kToneCharBusy = 98;  // 'b'
constexpr int kToneCharDial = 100; // 'd'

// The state name of the status line ("Idle", "Offering" ... "???").
const char* CallStateName(uint32_t state);
