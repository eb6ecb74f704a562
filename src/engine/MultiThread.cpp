// The worker's lifetime and loop: start and stop, the fields the front end
// sets and reads, and the line check that decides what each step does.
#include "engine/MultiThread.h"

#include "config/SettingsProvider.h"
#include "engine/CallState.h"
#include "engine/Phone.h"
#include "engine/UiBridge.h"
#include "modem/ResultCodes.h"
#include "platform/ProgramFolder.h"
#include "platform/ThreadName.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace {

// What a command the step needed met: the modem's answer in words.
std::string CommandFailureText(int result, bool bOpen) {
    switch (result) {
    case kResultNone:
        return bOpen ? "the modem did not answer a command in time" : "the modem's port is closed";
    case kResultError:
        return "the modem answered a command with ERROR";
    case kResultNoAnswer:
        return "the modem answered a command with NO ANSWER";
    case kResultNoCarrier:
        return "the modem answered a command with NO CARRIER";
    case kResultNoDialTone:
        return "the modem answered a command with NO DIAL TONE";
    default:
        return "the modem refused a command (result " + std::to_string(result) + ")";
    }
}

} // namespace

CMultiThread::CMultiThread(CPhone& phone, IUiBridge& ui, CCallLog& callLog)
    : m_phone(phone), m_ui(ui), m_state(phone.CallState().EngineState()), m_callLog(callLog),
      m_dialer(phone, m_state, ui, *this), m_forwarder(phone, m_state, m_dialer, *this),
      m_recorder(phone, m_state, ui, callLog, m_events, *this),
      m_machine(phone, m_state, m_recorder, *this, m_actions, m_events),
      m_actions(phone, m_state, ui, m_recorder, m_machine, *this, *this), m_mail(phone),
      m_history(phone), m_announcer(phone),
      m_remote(phone, m_state, m_history, callLog, m_events),
      m_program(
          [this](const std::string& text) {
              Log(text + "\n");
              m_phone.SetStatusText(text);
          },
          [this](bool bPause) { PauseForProgram(bPause); }),
      m_textNotice([this](const std::string& text) {
          Log(text + "\n");
          m_phone.SetStatusText(text);
      }),
      m_ringWatcher(phone, m_state, ui, m_events, *this, *this),
      m_events([&ui](const std::string& s) { ui.SetStatusText(s); }) {
    m_recorder.SetDataPath(phone.m_workerSettings.sPath);
    m_machine.SetRemoteMenu(&m_remote);
    // A message posted while the worker waits on the modem breaks the wait.
    m_queue.SetWakeUp([this] {
        if (m_bInWait)
            m_phone.Device().SetStopRequest(true);
    });
    // A device with threads of its own (a telephony line) reports its
    // events as this worker's thread messages.
    m_phone.SetDeviceEventSink(
        [this](int m, uintptr_t w, intptr_t l) { PostThreadMessage(m, w, l); });
}

CMultiThread::~CMultiThread() {
    RequestStop();
    Join();
    m_phone.SetDeviceEventSink({});
}

// ---- lifetime --------------------------------------------------------------

bool CMultiThread::Start(uint32_t startTimeoutMs) {
    if (m_thread.joinable())
        return false;
    m_bStop = false;
    m_phone.m_bClosing = false;
    m_bRunning = true;
    m_thread = std::thread([this, startTimeoutMs] {
        NameThisThread("worker");
        {
            std::unique_lock lock(m_eventMutex);
            m_eventCv.wait_for(lock, std::chrono::milliseconds(startTimeoutMs),
                               [this] { return m_bStarted; });
        }
        Run();
    });
    return true;
}

void CMultiThread::SignalStart() {
    std::lock_guard lock(m_eventMutex);
    m_bStarted = true;
    m_eventCv.notify_all();
}

void CMultiThread::RequestStop() {
    m_bStop = true;
    // Ends any play or recording too, whatever stop requests they clear.
    m_phone.m_bClosing = true;
    SignalStart();
    m_phone.Device().SetStopRequest(true);
    m_queue.Post(kMsgWake);
}

void CMultiThread::Wake() {
    if (m_bInWait) {
        m_phone.Device().SetStopRequest(true);
        // A worker waiting for a message (a quiet telephony line).
        m_queue.Post(kMsgWake);
    }
}

bool CMultiThread::WaitForEnd(uint32_t timeoutMs) {
    std::unique_lock lock(m_eventMutex);
    return m_eventCv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [this] { return m_bEnded || !m_thread.joinable(); });
}

void CMultiThread::Join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

bool CMultiThread::PostThreadMessage(int message, uintptr_t wParam, intptr_t lParam) {
    return m_queue.Post(message, wParam, lParam);
}

void CMultiThread::RequestHandsetFlag(bool bStopPending, uint32_t afterMs) {
    m_ringWatcher.RequestHandsetFlag(bStopPending, afterMs);
    if (afterMs == 0)
        Wake();
}

void CMultiThread::ClearPendingCalls() {
    // The ring state is the worker's own; it forgets the rings at its next step.
    m_ringWatcher.Forget();
    Wake();
}
void CMultiThread::SetMailSettingsProvider(std::function<MailSettings()> provider) {
    m_mail.SetSettingsProvider(std::move(provider));
}

void CMultiThread::Log(const std::string& text) {
    m_phone.Trace(text);
}

void CMultiThread::SleepQuantum() {
    SleepMs(static_cast<uint32_t>(std::clamp(m_phone.DriverSettings().dwTimeoutQuant, 1, 1000)));
}

// ---- the loop --------------------------------------------------------------

void CMultiThread::SetGreetingFile(const std::string& sFile) {
    RunBetweenSteps([this, sFile] { KeepGreeting(sFile); });
}

void CMultiThread::KeepGreeting(const std::string& sFile) {
    m_phone.sWaveGreet = sFile;
    if (m_bSaveOnExit && !SettingsProvider().SetString("sWaveGreet", sFile))
        m_ui.ShowMessageText("The greeting was kept, but the settings file could not be written: " +
                                 GetSettingsPath(),
                             MessageIcon::Exclamation);
}

void CMultiThread::RunBetweenSteps(std::function<void()> work) {
    {
        std::lock_guard<std::mutex> lock(m_chosenMutex);
        m_betweenSteps.push_back(std::move(work));
    }
    Wake();
}

void CMultiThread::TakeChosenSettings() {
    const int nVolume = m_nChosenVolume.exchange(-1);
    if (nVolume >= 0)
        m_phone.KeepVolume(nVolume, m_bSaveOnExit);
    std::vector<std::function<void()>> work;
    {
        std::lock_guard<std::mutex> lock(m_chosenMutex);
        work.swap(m_betweenSteps);
    }
    m_ringWatcher.ApplyHandsetRequest();
    // Outside the lock: the work may ask for more.
    for (std::function<void()>& w : work)
        w();
    // New settings (the options dialog's OK) reach the notices already
    // waiting: a server corrected there is the one the next try uses.
    if (!work.empty()) {
        m_mail.SettingsChanged();
        m_announcer.SettingsChanged();
        m_remote.Configure();
        m_program.SetSettings(CallProgramSettings::From(m_phone));
        m_textNotice.SetSettings(TextNoticeSettings::From(m_phone, LinePort()));
    }
}

int CMultiThread::LinePort() const {
    return m_phone.IsSerialModem() ? m_phone.DriverSettings().nComPort : 0;
}

void CMultiThread::PauseForProgram(bool bPause) {
    RunBetweenSteps([this, bPause] {
        // Monitoring paused by someone else stays as it is.
        if (bPause) {
            if (m_state.bPaused)
                return;
            m_bProgramPaused = true;
        } else if (!std::exchange(m_bProgramPaused, false) || !m_state.bPaused) {
            return;
        }
        m_state.bPaused = bPause;
        m_ui.MonitoringChanged(bPause);
    });
}

void CMultiThread::Run() {
    m_mail.Start(m_events);
    m_history.Start(m_events);
    m_forwarder.Start(m_events);
    m_announcer.Start(m_events);
    m_remote.Configure();
    m_program.SetSettings(CallProgramSettings::From(m_phone));
    m_program.Start(m_events);
    m_textNotice.SetSettings(TextNoticeSettings::From(m_phone, LinePort()));
    m_textNotice.Start(m_events);
    while (!m_state.bShuttingDown && !m_bStop) {
        PumpMessages();
        TakeChosenSettings();
        Step();
        ++m_nSteps;
    }
    TakeChosenSettings();
    m_phone.m_bClosing = true;
    m_phone.m_workerSettings.sPath = m_recorder.DataPath();
    if (std::string why; m_bSaveOnExit && !m_phone.SaveAll(&why))
        m_phone.SetStatusText("The settings could not be saved: " + why);
    m_phone.Device().Shutdown();
    m_mail.Stop();
    m_history.Stop();
    m_forwarder.Stop();
    m_announcer.Stop();
    m_program.Stop();
    m_textNotice.Stop();
    m_queue.Close();
    m_bRunning = false;
    std::lock_guard lock(m_eventMutex);
    m_bEnded = true;
    m_eventCv.notify_all();
}

void CMultiThread::PumpMessages() {
    m_queue.PumpMessages([this](const ThreadMessage& m) { Dispatch(m); });
}

void CMultiThread::Step() {
    if (m_state.bShuttingDown || m_bStop)
        return;
    try {
        if (!CheckLine())
            return;
        if (m_phone.Device().StopRequested() && !m_bInWait) {
            SleepMs(1);
            m_phone.Device().SetStopRequest(false);
            return;
        }
        if (m_ringWatcher.WaitEvent())
            m_ringWatcher.HandleRing();
        m_sStepFailureTold.clear();
    } catch (const std::exception& e) {
        // One bad step must not end monitoring; the next step starts afresh,
        // but what went wrong is told.
        StepFailed(e.what());
    } catch (const ModemCommandFailure& f) {
        StepFailed(CommandFailureText(f.result, m_phone.Device().IsOpen()));
    } catch (const ModemWriteFailure&) {
        StepFailed("the modem could not be written to");
    }
}

void CMultiThread::StepFailed(const std::string& what) {
    const std::string text = "Worker step failed: " + what;
    Log(text + "\n");
    // A failure that repeats at every step is told once, until a step
    // goes through or another failure comes.
    if (text == m_sStepFailureTold)
        return;
    m_sStepFailureTold = text;
    m_phone.SetStatusText(text);
}

bool CMultiThread::CheckLine() {
    m_ringWatcher.ForgetIfAsked();
    if (m_state.bReconfigure) {
        Reconfigure();
        return false;
    }
    if (uint32_t deadline = m_phone.m_dwFaxDeadline.load()) {
        SleepMs(10);
        if (static_cast<int32_t>(deadline - GetTickCount()) > 0)
            return false;
        m_phone.m_dwFaxDeadline = 0;
        m_state.bPaused = false;
        m_ui.MonitoringChanged(false);
    }
    if (m_state.bPaused) {
        CloseDevice();
        SleepQuantum();
        return false;
    }
    if (m_state.bActionPending) {
        m_actions.RunPendingAction();
        return false;
    }
    ITelephoneDevice& dev = m_phone.Device();
    if (!dev.IsOpen()) {
        OpenDevice();
        return false;
    }
    FollowAvailability();
    if (m_state.bOffHookRequest) {
        GoOffHook();
        return false;
    }
    if (m_state.bHangUpRequest) {
        HangUp();
        m_recorder.TouchAndForgetCurrentFile();
        return false;
    }
    if (CloseIfSetUpFailed())
        return false;
    if (m_state.bHold) {
        m_actions.PlayHoldMusic();
        return false;
    }
    if (m_state.bActionPending) {
        m_actions.RunPendingAction();
        return false;
    }
    if (m_actions.TalkWanted()) {
        m_actions.TalkAtPc();
        return false;
    }
    m_actions.FollowTalk();
    m_ringWatcher.CheckTiming();
    // A message forwarded between calls, never while one is on the line.
    if (!m_state.bOffHook && !m_state.bRinging && m_ringWatcher.RingCount() == 0)
        m_forwarder.RunDue();
    return true;
}

// ---- what the worker's parts ask of it ---------------------------------------

void CMultiThread::RecordCall() {
    m_actions.RecordCall();
}

void CMultiThread::RecordHandsetCall() {
    m_bHandsetRecording = true;
    m_ui.SetHandsetRecording(true);
    m_actions.RecordCall();
}

void CMultiThread::SendMissedCalls(const std::vector<CNumber>& calls, bool bRecorded) {
    // The notice subscribes to the call events and mails on its own thread.
    std::vector<CNumber> told = CallsForNoticeOf(calls, m_phone.bEmailContactsOnly);
    if (told.size() < calls.size())
        Log("no mail notice for " + std::to_string(calls.size() - told.size()) +
            " blocked or unknown caller(s)\n");
    if (!told.empty())
        m_events.Publish(CallsForNotice{std::move(told), bRecorded});
}
