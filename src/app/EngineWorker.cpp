#include "app/EngineWorker.h"

#include "app/GreetingLine.h"
#include "app/TelephonyProvider.h"

#include "adapter/AdapterWorkerLink.h"

#include "audio/AudioLog.h"

#include "config/ModemType.h"
#include "config/SettingsStore.h"
#include "engine/CallState.h"
#include "engine/MultiThread.h"
#include "engine/Phone.h"
#include "engine/TelephonyLineDevice.h"
#include "engine/ThreadMessages.h"
#include "platform/TickCount.h"

CEngineWorker::CEngineWorker(IUiBridge& ui, const CTapiProviders& providers)
    : m_pPhone(std::make_unique<CPhone>()) {
    m_pPhone->DeviceFactories().Register(
        DeviceKind::TelephonyLine,
        [&providers](IDeviceHost& host) { return MakeTelephonyLineDevice(host, providers); });
    // The USB adapter (fUseHiPhone), made with the settings of the moment
    // whenever the device is chosen.
    m_pPhone->DeviceFactories().Register(DeviceKind::UsbAdapter, [this](IDeviceHost& host) {
        return MakeWorkerAdapterDevice(
            host, [this] { return m_pThread && m_pThread->HandsetRecordingMarked(); },
            AdapterLayersFor(host.Settings().sAdapterSoundCard, host.Settings().sAdapterInput));
    });
    m_pPhone->SetUi(&ui);
    // The sound layer's lines go to the modem log; a sound the device
    // refused or lost also to the status line, once while it stays so.
    SetAudioLogSink([phone = m_pPhone.get()](const std::string& line, AudioLogKind kind) {
        std::string text = line;
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        if (kind == AudioLogKind::Error)
            phone->TellSoundProblem(text);
        else
            phone->Trace("Sound: " + text + "\n");
    });
    m_pPhone->LoadAll();
    m_pPhone->ChooseDevice();
    m_pThread = std::make_unique<CMultiThread>(*m_pPhone, ui, *m_pCallLog);
}

CEngineWorker::~CEngineWorker() {
    if (m_bStarted && !m_bEnded) {
        m_pThread->RequestStop();
        if (!m_pThread->WaitForEnd(0)) {
            // Still inside a device call: joining could hang the exit the
            // bounded waits promised. The process ends around it.
            (void)m_pThread.release();
            (void)m_pPhone.release();
            (void)m_pCallLog.release();
            return;
        }
    }
    m_pThread.reset();
    SetAudioLogSink({});
    m_pPhone.reset();
}

CCallState& CEngineWorker::CallState() {
    return m_pPhone->CallState();
}

const CCallState& CEngineWorker::CallState() const {
    return m_pPhone->CallState();
}

bool CEngineWorker::StartDisabled() const {
    return m_pPhone->bStartDisabled;
}

bool CEngineWorker::NeedsSetup() const {
    const CPhone& p = *m_pPhone;
    return SetupKindFromSettings(p.nTAPI, p.fUseHiPhone, p.fUseComvurgent) == kKindSerialModem &&
           p.DriverSettings().nComPort < 1;
}

uint32_t CEngineWorker::TimeoutDefault() const {
    const int nTimeout = m_pPhone->DriverSettings().dwTimeoutDefault;
    return nTimeout > 0 ? static_cast<uint32_t>(nTimeout) : 1u;
}

void CEngineWorker::Start() {
    // The start event is set before the thread exists: setting it after
    // could go unseen by a thread already waiting, which would then sit out
    // its whole start time-out.
    m_pThread->SignalStart();
    m_bStarted = m_pThread->Start();
}

void CEngineWorker::SetDataPath(const std::string&) {
    // The worker takes its data path from the phone's own Options/sPath (an
    // empty one meaning the program folder); writing the program folder into
    // the setting would store it on the next save.
}

bool CEngineWorker::WaitEnded(uint32_t timeoutMs) {
    if (!m_bStarted)
        return true;
    m_pThread->RequestStop();
    if (m_pThread->WaitForEnd(timeoutMs)) {
        m_pThread->Join();
        m_bEnded = true;
    }
    return m_bEnded;
}

bool CEngineWorker::IsPortClosed() const {
    return !m_pPhone->Device().IsOpen();
}

bool CEngineWorker::IsBusy() const {
    return m_pPhone->CallState().Flags().bCidBusy;
}

bool CEngineWorker::IsReady() const {
    return m_pPhone->Device().IsReady();
}

std::string CEngineWorker::DeviceUnavailable() const {
    return m_pThread ? m_pThread->DeviceUnavailable() : "";
}

bool CEngineWorker::CanTalkAtPc() const {
    // The settings as saved: the worker's own copies change on its thread.
    return SettingsChooseTelephonyLine();
}

bool CEngineWorker::IsCallActive() const {
    const CallFlags f = m_pPhone->CallState().Flags();
    return f.bRinging || f.bOffHook || f.bCidBusy || f.bRecording || f.bPlaying || f.bHold;
}

void CEngineWorker::SetStopRequest(bool bStop) {
    m_pPhone->Device().SetStopRequest(bStop);
}

void CEngineWorker::SetExitRequest() {
    m_pThread->RequestStop();
}

void CEngineWorker::RequestHandsetFlag(bool bStopPending, uint32_t afterMs) {
    m_pThread->RequestHandsetFlag(bStopPending, afterMs);
}

void CEngineWorker::CancelHandsetFlag() {
    m_pThread->CancelHandsetFlag();
}

void CEngineWorker::ClearPendingCalls() {
    m_pThread->ClearPendingCalls();
}

void CEngineWorker::StopCall() {
    // The stop command also ends a wish for the speakerphone (a dialled
    // call keeps one): left set, every later request would wait for it.
    m_pPhone->CallState().RequestEndSpeakerphone();
    m_pPhone->CallState().RequestEndHold();
    // A fax hand-off keeps the line released until its deadline; the user's
    // stop ends that wait now, so monitoring comes back on the next step
    // (the worker paused itself for the hand-off and resumes when it ends).
    // Only a deadline still set is moved: one the worker has just ended stays 0.
    if (uint32_t deadline = m_pPhone->m_dwFaxDeadline.load(); deadline != 0) {
        const uint32_t now = GetTickCount();
        m_pPhone->m_dwFaxDeadline.compare_exchange_strong(deadline, now ? now : 1);
    }
    m_pPhone->CallState().RequestHangUp();
    m_pPhone->Device().SetStopRequest(true);
    m_pThread->Wake();
}

void CEngineWorker::StopRecording() {
    m_pPhone->CallState().RequestStopRecording();
    m_pPhone->Device().SetStopRequest(true);
    m_pThread->Wake();
}

void CEngineWorker::ImitateRing() {
    if (m_pPhone->IsSerialModem()) {
        m_pPhone->CallState().RequestTestRing();
        m_pThread->Wake();
    } else
        m_pThread->PostThreadMessage(kMsgRing);
}

void CEngineWorker::SetStoredAction(int nAction) {
    m_pPhone->nAction = nAction;
}

std::string CEngineWorker::CurrentFile() const {
    return m_pThread->CurrentFile();
}

void CEngineWorker::SetCurrentFile(const std::string& sFile) {
    m_pThread->SetRequestedFileName(sFile);
}

void CEngineWorker::SetPlayFile(const std::string& sFile) {
    m_pThread->SetPlayFile(sFile);
}

void CEngineWorker::Dial(const std::string& sNumber, bool bSpeak) {
    m_pThread->SetDialNumber(sNumber);
    m_pThread->SetSpeak(bSpeak);
    m_pThread->PostThreadMessage(kMsgDial);
}

void CEngineWorker::MarkExternalCallerId() {
    m_pPhone->CallState().MarkCallerIdReceived();
}

void CEngineWorker::Wake() {
    m_pThread->Wake();
}

void CEngineWorker::SetTrayState(int nState) {
    m_pThread->SetTrayState(nState);
}

void CEngineWorker::SetPlaybackVolume(int nPercent) {
    m_pThread->SetPlaybackVolume(nPercent);
}

IGreetingLine* CEngineWorker::GreetingLine() {
    if (!m_pGreetingLine)
        m_pGreetingLine = std::make_unique<CEngineGreetingLine>(*this);
    return m_pGreetingLine.get();
}

void CEngineWorker::SetGreetingFile(const std::string& sFile) {
    OnWorker([this, sFile] { m_pThread->KeepGreeting(sFile); });
}

void CEngineWorker::SetMute(bool bMute) {
    m_pPhone->m_bMute = bMute;
}

DiagnosticsState CEngineWorker::StartDiagnostics() {
    return m_pThread->StartDiagnostics();
}

DiagnosticsProgress CEngineWorker::DiagnosticsNow() const {
    return m_pThread->DiagnosticsNow();
}

void CEngineWorker::CancelDiagnostics() {
    m_pThread->CancelDiagnostics();
}

void CEngineWorker::OnWorker(std::function<void()> work) {
    if (m_pThread->IsRunning())
        m_pThread->RunBetweenSteps(std::move(work));
    else
        work();
}

void CEngineWorker::ReadOptions(std::shared_ptr<CHandOver<OptionsValues>> out) {
    OnWorker([this, out] {
        CPhone& p = *m_pPhone;
        CWorkerSettings worker{m_pThread->DataPath()};
        out->Set(FillOptions({p, p.DriverSettings(), g_settings, worker}));
    });
}

void CEngineWorker::ApplyOptions(const OptionsValues& values,
                                 std::shared_ptr<CHandOver<OptionsOutcome>> out) {
    OnWorker([this, values, out] {
        CPhone& p = *m_pPhone;
        p.m_workerSettings.sPath = m_pThread->DataPath();
        OptionsOutcome outcome =
            ::ApplyOptions(values, {p, p.DriverSettings(), g_settings, p.m_workerSettings});
        m_pThread->SetDataPath(p.m_workerSettings.sPath);
        p.FollowSettings();
        if (outcome.bDeviceKindChanged || outcome.bAdapterChanged || values.bSipAccountsChanged) {
            m_pThread->CloseDevice();
            p.ChooseDevice();
        }
        // A key written before (sSaveError set) failed already.
        outcome.bSaved = p.SaveAll(&outcome.sSaveError) && outcome.sSaveError.empty();
        out->Set(std::move(outcome));
    });
}

CCallEventPublisher* CEngineWorker::CallEvents() {
    return &m_pThread->CallEvents();
}

void CEngineWorker::ReportProblem(const std::string& text) {
    m_pPhone->Trace(text + "\n");
    m_pPhone->SetStatusText(text);
}
