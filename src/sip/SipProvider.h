// A telephony provider on SIP (liblinphone): each configured account is a
// line. An incoming INVITE is an offered call that rings, again every few
// seconds while it is offered (SIP has no ring cadence of its own); its
// caller ID comes from the From and P-Asserted-Identity headers. Answer,
// drop, placing a call, touch-tone keys (RFC 4733) both ways, hand-off
// as a transfer (REFER), redirecting an offered call (302) and a blind
// transfer (REFER, whose reply waits for the far end's word on it).
//
// Each line has its own SIP stack, listening where its account says. One
// thread drives every stack: every 40 ms while a line has a call, else when
// a packet comes (SipWake), once a second while a registration waits for
// its answer, and every five seconds otherwise. The provider's functions,
// called from the telephony layer's threads, take the same lock, so the
// library is only ever entered by one thread at a time.
//
// A line with a registrar registers its account and follows that
// registration: each change is logged once ("SIP: the line NAME: registered
// with HOST for 600 s"), a failed one is tried again with a growing wait,
// and while it has failed the line is out of service, with the registrar's
// code and reason as the cause. Such a line takes calls from its registrar
// only (SipCallGate): others are declined (403) and counted in the log, at
// most a line a minute.
//
// The calls' sound goes through the provider's own sound backend: line n's
// calls are its device n ("wave/in" and "wave/out"), a sound card of the
// line's stack (SipSoundCard). What the far end says is also heard for the
// line signals it carries (SipLineSignals): a fax machine's calling tone
// becomes the fax media mode, busy and dial tone their tone messages, for a
// line opened to monitor its calls. In-band touch-tone keys are left out:
// a far end that sends its keys as RFC 4733 events may send them in the
// sound as well, and each key would come twice.
#pragma once

#include "audio/QueueSoundBackend.h"
#include "sip/SipAccounts.h"
#include "sip/SipCallGate.h"
#include "sip/SipLineSignals.h"
#include "sip/SipRegistration.h"
#include "sip/SipWake.h"
#include "tapi/TapiCallTable.h"
#include "tapi/TapiProvider.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace linphone {
class Core;
class Call;
class CoreListener;
class Account;
} // namespace linphone

class CSipProvider : public ITapiProvider {
public:
    struct Options {
        // A folder of the stack's own state (its settings, call history);
        // it is made when missing.
        std::string sStateFolder;
        // Ring again this often while a call is offered.
        int nRingRepeatMs = 5000;
        // Listen to the calls' sound for line signals.
        bool bHearLineSignals = true;
    };

    CSipProvider(std::vector<SipAccount> accounts, Options options);
    ~CSipProvider() override;
    CSipProvider(const CSipProvider&) = delete;
    CSipProvider& operator=(const CSipProvider&) = delete;

    // The port line dwDevice listens on (0 while closed), for a line set to
    // any free port.
    int ListeningPort(uint32_t dwDevice) const;
    // How line dwDevice's account stands with its registrar.
    SipRegistration Registration(uint32_t dwDevice) const;

    // ---- ITapiProvider -----------------------------------------------------
    TapiResult Initialize(const std::string& sAppName, uint32_t* pNumDevs) override;
    TapiResult Shutdown() override;
    TapiResult NegotiateApiVersion(uint32_t dwDeviceID, uint32_t dwLow, uint32_t dwHigh,
                                   uint32_t* pVersion) override;
    TapiResult GetDevCaps(uint32_t dwDeviceID, uint32_t dwVersion, TapiLineCaps* pCaps) override;
    TapiResult GetMessage(TapiMessage* pMsg, uint32_t dwTimeoutMs) override;
    TapiResult Open(uint32_t dwDeviceID, uintptr_t dwCallbackInstance, uint32_t dwPrivileges,
                    uint32_t dwMediaModes, uint32_t* phLine) override;
    TapiResult Close(uint32_t hLine) override;
    std::string OpenFailure(uint32_t dwDeviceID) override;
    TapiResult SetStatusMessages(uint32_t hLine, uint32_t dwLineStates,
                                 uint32_t dwAddressStates) override;
    TapiResult GetLineDevStatus(uint32_t hLine, TapiLineStatus* pStatus) override;
    TapiResult MakeCall(uint32_t hLine, uint32_t* phCall, const std::string& sNumber) override;
    TapiResult Answer(uint32_t hCall) override;
    TapiResult Accept(uint32_t hCall) override;
    TapiResult Dial(uint32_t hCall, const std::string& sNumber) override;
    TapiResult Drop(uint32_t hCall) override;
    TapiResult Deallocate(uint32_t hCall) override;
    TapiResult GenerateDigits(uint32_t hCall, uint32_t dwDigitMode,
                              const std::string& sDigits) override;
    TapiResult MonitorDigits(uint32_t hCall, uint32_t dwDigitModes) override;
    TapiResult SetMediaMode(uint32_t hCall, uint32_t dwMediaModes) override;
    TapiResult Handoff(uint32_t hCall, const std::string& sTarget, uint32_t dwMediaMode) override;
    TapiResult Redirect(uint32_t hCall, const std::string& sAddress) override;
    TapiResult BlindTransfer(uint32_t hCall, const std::string& sAddress) override;
    TapiResult GetCallInfo(uint32_t hCall, TapiCallInfo* pInfo) override;
    TapiResult GetCallStatus(uint32_t hCall, TapiCallStatus* pStatus) override;
    TapiResult GetID(uint32_t hCall, const std::string& sDeviceClass, uint32_t* pId) override;
    ISoundBackend* SoundBackend() override { return &m_sound; }

private:
    class Listener;
    friend class Listener;

    struct Line {
        SipAccount account;
        std::shared_ptr<linphone::Core> core;
        std::shared_ptr<Listener> listener;
        int nPort = 0;
        bool bMonitor = false; // opened to monitor its calls
        // Hears the far end of the call hHeard (0: none).
        std::unique_ptr<CSipLineSignals> signals;
        uint32_t hHeard = 0;
        uint64_t nDroppedSeen = 0;
        // The registration and whom the line takes calls from.
        SipRegistration reg;
        CSipCallGate gate;
        std::string sResolveError; // why the registrar's name has no address
        std::string sOpenError;    // why the last Open failed
        int nFailures = 0;         // in a row
        std::chrono::steady_clock::time_point retryAt;
    };
    struct Call : TapiCall {
        std::shared_ptr<linphone::Call> call;
        bool bEverConnected = false;
        TapiResult nTransferRequest = 0; // a transfer's reply still due
        std::chrono::steady_clock::time_point nextRing;
    };

    // Under m_mutex.
    uint32_t DeviceOf(const Line& line) const;
    void SetState(uint32_t hCall, uint32_t dwState);
    TapiResult Reply(bool bOk);
    uint32_t HandleOf(const std::shared_ptr<linphone::Call>& call) const;
    std::shared_ptr<linphone::Core> MakeCore(Line& line, std::string* pWhy);
    // Open's failure: kept for OpenFailure.
    TapiResult FailOpen(Line& line, TapiResult r, const std::string& sWhy);
    std::string Target(const Line& line, const std::string& sNumber) const;
    void OnCallState(uint32_t dwDevice, const std::shared_ptr<linphone::Call>& call, int state);
    void OnIncoming(uint32_t dwDevice, const std::shared_ptr<linphone::Call>& call);
    void OnDtmf(const std::shared_ptr<linphone::Call>& call, int dtmf);
    // The far end's word on a transfer: the reply, once it has said.
    void OnTransferState(const std::shared_ptr<linphone::Call>& call, int state);
    void OnRegistration(uint32_t dwDevice, const std::shared_ptr<linphone::Account>& account,
                        int state, const std::string& sMessage);
    void SetRegistration(Line& line, const SipRegistration& reg);
    // A call its line does not take from this sender: declined, counted.
    bool RefuseStranger(Line& line, const std::shared_ptr<linphone::Call>& call);
    void FollowRegistrations();
    void RingAgain();
    void FollowSound(uint32_t hCall, const Call& c);
    void StopHearing(uint32_t hCall);
    void HearLineSignals(Line& line);
    void CloseLine(Line& line);
    // Not under m_mutex: the driving thread between its turns.
    void SleepUntil(std::chrono::steady_clock::time_point when);
    void Run();

    const Options m_options;
    // The lines' sound devices; made before and gone after the stacks.
    CQueueSoundBackend m_sound;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv; // wakes the stacks' thread to end
    std::vector<Line> m_lines;
    CTapiCallTable<Call> m_table;
    // Calls to be declined, with the reason (busy, forbidden).
    std::vector<std::pair<std::shared_ptr<linphone::Call>, int>> m_declined;

    std::atomic<bool> m_bQuit{false};
    CSipWake m_wake; // the driving thread's sleep between turns
    std::thread m_thread;
};
