// A scripted phone and worker for the core's tests: it behaves like a worker
// that closes the port whenever monitoring is paused, and records what the
// core asked of it.
#pragma once

#include "app/AppFrontEnd.h"
#include "app/AppWorker.h"
#include "app/BasicWindow.h"
#include "calllog/CallLog.h"
#include "engine/CallEvents.h"
#include "engine/CallState.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class FakeAppWorker : public IAppWorker {
public:
    bool bStartDisabled = false;
    uint32_t nTimeoutDefault = 50;
    std::atomic<bool> bReady{true};
    std::atomic<bool> bBusy{false};
    std::atomic<bool> bCallActive{false};
    // A telephony line: calls can be talked at the PC.
    bool bCanTalk = false;
    int nPlaybackVolume = -1;
    bool bPlaybackMute = false;
    std::atomic<bool> bStopRequest{false};
    std::atomic<bool> bExitRequest{false};
    bool bStarted = false;
    std::string sDataPath;
    std::string sFile = "/calls/rec.wav";
    std::string sPlayFile;
    int nStoredAction = -1;
    CCallLog callLog;

    bool bNeedsSetup = false;
    // The call state of this worker; the tests play the engine through Engine().
    CCallState callState;
    CCallStateData& Engine() { return callState.EngineState(); }
    // The worker took the request made last: its code is spent.
    void TakeRequest() {
        Engine().bActionPending = false;
        Engine().nAction = kActionQuiet;
    }
    CCallState& CallState() override { return callState; }
    const CCallState& CallState() const override { return callState; }
    bool StartDisabled() const override { return bStartDisabled; }
    bool NeedsSetup() const override { return bNeedsSetup; }
    uint32_t TimeoutDefault() const override { return nTimeoutDefault; }
    void Start() override {
        bStarted = true;
        Note("start");
    }
    void SetDataPath(const std::string& sPath) override { sDataPath = sPath; }
    bool WaitEnded(uint32_t) override { return true; }
    bool IsPortClosed() const override { return callState.Flags().bPaused; }
    bool IsBusy() const override { return bBusy; }
    bool IsReady() const override { return bReady && !callState.Flags().bPaused; }
    bool IsCallActive() const override { return bCallActive; }
    bool CanTalkAtPc() const override { return bCanTalk; }
    void SetPlaybackVolume(int n) override { nPlaybackVolume = n; }
    void SetMute(bool b) override { bPlaybackMute = b; }
    void SetStopRequest(bool bStop) override { bStopRequest = bStop; }
    void SetExitRequest() override { bExitRequest = true; }
    void ClearPendingCalls() override {}
    void StopCall() override {
        bCallActive = false;
        callState.RequestEndSpeakerphone();
        Note("stop call");
    }
    void StopRecording() override {
        callState.RequestStopRecording();
        Note("stop recording");
    }
    void ImitateRing() override { callState.RequestTestRing(); }
    void SetStoredAction(int n) override { nStoredAction = n; }
    CCallLog& CallLog() override { return callLog; }
    std::string CurrentFile() const override { return sFile; }
    void SetCurrentFile(const std::string& s) override { sFile = s; }
    void SetPlayFile(const std::string& s) override { sPlayFile = s; }
    void Dial(const std::string& sNumber, bool bSpeak) override {
        Note(std::string(bSpeak ? "dial+speak " : "dial ") + sNumber);
    }
    void MarkExternalCallerId() override { Note("external caller id"); }

    // The settings behind the options dialog; bHoldSettings keeps the
    // worker from answering (a worker stuck in a step).
    CPhoneSettings phone;
    CDriverSettings driver;
    CGlobalSettings global;
    CWorkerSettings worker;
    bool bHoldSettings = false;
    int nOptionsApplied = 0;
    CCallEventPublisher* pEvents = nullptr; // the call events, when a test has them
    CCallEventPublisher* CallEvents() override { return pEvents; }
    void ReadOptions(std::shared_ptr<CHandOver<OptionsValues>> out) override {
        Note(std::string("read options, paused ") + (callState.Flags().bPaused ? "yes" : "no"));
        if (!bHoldSettings)
            out->Set(FillOptions({phone, driver, global, worker}));
    }
    void ApplyOptions(const OptionsValues& v,
                      std::shared_ptr<CHandOver<OptionsOutcome>> out) override {
        Note("apply options");
        ++nOptionsApplied;
        OptionsOutcome o = ::ApplyOptions(v, {phone, driver, global, worker});
        o.bSaved = true;
        out->Set(o);
    }

    std::vector<std::string> Notes() const {
        std::lock_guard lock(m_mutex);
        return m_notes;
    }
    void Note(const std::string& s) {
        std::lock_guard lock(m_mutex);
        m_notes.push_back(s);
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_notes;
};

class FakeFrontEnd : public IAppFrontEnd {
public:
    std::vector<std::string> messages;
    std::vector<int> trayStates;
    int nShown = 0;
    bool bLastShow = false;
    CallerFields caller;
    // What the message loop does; by default it quits at once.
    std::function<void(CBasicWindow&)> loop = [](CBasicWindow& w) { w.PostQuit(); };

    void Message(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> notes;
    void Note(const std::string& text) override { notes.push_back(text); }
    void ShowMainWindow(bool bShow) override {
        ++nShown;
        bLastShow = bShow;
    }
    void TrayStateChanged(int nState) override { trayStates.push_back(nState); }
    void StartMainRefresh(unsigned) override {}
    CallerFields GetCallerFields() override { return caller; }
    void SetCallerFields(const CallerFields& f) override { caller = f; }
    bool OnWindowCommand(int) override { return false; }
    // The options dialog: shown (values kept), closed by the test.
    std::optional<OptionsValues> shownOptions;
    std::function<void(std::optional<OptionsValues>)> closeOptions;
    std::vector<std::string> dataPaths;
    bool ShowOptions(const OptionsValues& v,
                     std::function<void(std::optional<OptionsValues>)> onClose) override {
        shownOptions = v;
        closeOptions = std::move(onClose);
        return true;
    }
    void DataPathChanged(const std::string& s) override { dataPaths.push_back(s); }
    void RunMessageLoop(CBasicWindow& window) override {
        loop(window);
        while (!window.IsQuitPosted())
            window.ProcessEvents(50);
    }
};
