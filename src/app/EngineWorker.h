// The real phone object and worker thread behind IAppWorker: what both
// programs run. The constructor is start-up step 10 (the phone loads every
// setting and the modem profile); Start() is step 14.
#pragma once

#include "app/AppWorker.h"
#include "calllog/CallLog.h"

#include <functional>
#include <memory>

class CPhone;
class CTapiProviders;
class CMultiThread;
class IUiBridge;

class CEngineWorker : public IAppWorker {
public:
    // A telephony line chosen runs on the chosen provider of providers,
    // which outlives the worker.
    CEngineWorker(IUiBridge& ui, const CTapiProviders& providers);
    // A worker that did not end in time is left to the process's end rather
    // than joined for ever.
    ~CEngineWorker() override;

    CPhone& Phone() { return *m_pPhone; }
    CMultiThread& Thread() { return *m_pThread; }

    CCallState& CallState() override;
    const CCallState& CallState() const override;
    bool StartDisabled() const override;
    bool NeedsSetup() const override;
    uint32_t TimeoutDefault() const override;
    void Start() override;
    void SetDataPath(const std::string& sPath) override;
    bool WaitEnded(uint32_t timeoutMs) override;
    bool IsPortClosed() const override;
    bool IsBusy() const override;
    bool IsReady() const override;
    bool IsCallActive() const override;
    std::string DeviceUnavailable() const override;
    bool CanTalkAtPc() const override;
    void SetStopRequest(bool bStop) override;
    void SetExitRequest() override;
    void ClearPendingCalls() override;
    void RequestHandsetFlag(bool bStopPending, uint32_t afterMs) override;
    void CancelHandsetFlag() override;
    void StopCall() override;
    void StopRecording() override;
    void ImitateRing() override;
    void SetStoredAction(int nAction) override;
    CCallLog& CallLog() override { return *m_pCallLog; }
    std::string CurrentFile() const override;
    void SetCurrentFile(const std::string& sFile) override;
    void SetPlayFile(const std::string& sFile) override;
    void Dial(const std::string& sNumber, bool bSpeak) override;
    void MarkExternalCallerId() override;
    void Wake() override;
    void SetTrayState(int nState) override;
    void SetPlaybackVolume(int nPercent) override;
    void SetMute(bool bMute) override;

    IGreetingLine* GreetingLine() override;
    void SetGreetingFile(const std::string& sFile) override;
    CCallEventPublisher* CallEvents() override;
    void ReportProblem(const std::string& text) override;
    DiagnosticsState StartDiagnostics() override;
    DiagnosticsProgress DiagnosticsNow() const override;
    void CancelDiagnostics() override;
    void ReadOptions(std::shared_ptr<CHandOver<OptionsValues>> out) override;
    void ApplyOptions(const OptionsValues& values,
                      std::shared_ptr<CHandOver<OptionsOutcome>> out) override;

private:
    // On the worker's thread between two steps, or here when it does not run.
    void OnWorker(std::function<void()> work);
    // Outlives the worker thread, which stores its calls there.
    std::unique_ptr<CCallLog> m_pCallLog = std::make_unique<CCallLog>();
    std::unique_ptr<CPhone> m_pPhone;
    std::unique_ptr<IGreetingLine> m_pGreetingLine;
    std::unique_ptr<CMultiThread> m_pThread;
    bool m_bStarted = false;
    bool m_bEnded = false;
};
