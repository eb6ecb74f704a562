// The worker's loop: the line check, the ring watcher, rings and their end,
// device events and keys, and the device's opening and closing.
#include "engine/MultiThread.h"

#include "audio/Cacm.h"
#include "audio/PlaySound.h"
#include "calllog/CallRecord.h"
#include "engine/CallState.h"
#include "engine/CallerIdDisplay.h"
#include "engine/CallerIdSources.h"
#include "engine/CommDriverCidChannel.h"
#include "engine/KeyTables.h"
#include "engine/Phone.h"
#include "engine/UiBridge.h"
#include "modem/ResultCodes.h"
#include "notify/CallMail.h"
#include "platform/ProgramFolder.h"
#include "platform/Strings.h"
#include "platform/TickCount.h"

#include <exception>

CMultiThread* g_pThread = nullptr;

namespace {

constexpr int kResultLimit = 65535;
constexpr int kStrWindowTitle = 0; // "Vorella" is the program's own name

bool IsCidLine(int r) {
    return r >= kResultCidDate && r <= kResultCidMesg;
}

} // namespace

CMultiThread::CMultiThread(CPhone& phone, IUiBridge& ui) : m_phone(phone), m_ui(ui) {
    m_sDataPath = phone.m_workerSettings.sPath;
    // A message posted while the worker waits on the modem breaks the wait.
    m_queue.SetWakeUp([this] {
        if (m_bInWait)
            m_phone.m_driver.SetStopRequest(true);
    });
}

CMultiThread::~CMultiThread() {
    RequestStop();
    Join();
}

// ---- lifetime --------------------------------------------------------------

bool CMultiThread::Start(uint32_t startTimeoutMs) {
    if (m_thread.joinable())
        return false;
    m_bStop = false;
    m_phone.m_bClosing = false;
    m_bRunning = true;
    m_thread = std::thread([this, startTimeoutMs] {
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
    m_phone.m_driver.SetStopRequest(true);
}

void CMultiThread::Wake() {
    if (m_bInWait)
        m_phone.m_driver.SetStopRequest(true);
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

void CMultiThread::SetDialNumber(const std::string& number) {
    std::lock_guard lock(m_fieldMutex);
    m_sDialNumber = number;
}
void CMultiThread::SetSpeak(bool bSpeak) {
    m_bSpeak = bSpeak;
}
void CMultiThread::SetPlayFile(const std::string& file) {
    std::lock_guard lock(m_fieldMutex);
    m_sPlayFile = file;
}
void CMultiThread::SetTargetFolder(const std::string& folder) {
    std::lock_guard lock(m_fieldMutex);
    m_sTargetFolder = folder;
}
void CMultiThread::SetRequestedFileName(const std::string& name) {
    std::lock_guard lock(m_fieldMutex);
    m_sRequestedName = name;
}
void CMultiThread::SetMailSettingsProvider(std::function<MailSettings()> provider) {
    std::lock_guard lock(m_fieldMutex);
    m_mailSettings = std::move(provider);
}
std::string CMultiThread::CurrentFile() const {
    std::lock_guard lock(m_fieldMutex);
    return m_sFile;
}
std::string CMultiThread::LastRecording() const {
    std::lock_guard lock(m_fieldMutex);
    return m_sLastRecording;
}
std::string CMultiThread::DataPath() const {
    std::lock_guard lock(m_fieldMutex);
    return m_sDataPath;
}

void CMultiThread::SetCurrentFile(const std::string& file) {
    std::lock_guard lock(m_fieldMutex);
    m_sFile = file;
}

void CMultiThread::Log(const std::string& text) {
    m_phone.m_driver.Log(text, "");
}

void CMultiThread::SleepQuantum() {
    SleepMs(static_cast<uint32_t>(std::clamp(m_phone.m_driver.dwTimeoutQuant, 1, 1000)));
}

std::string CMultiThread::ProgramFile(const std::string& name) const {
    if (name.empty() || name[0] == '/')
        return name;
    std::string n = name.rfind("./", 0) == 0 ? name.substr(2) : name;
    return WithTrailingSlash(GetProgramFolder()) + n;
}

// ---- the loop --------------------------------------------------------------

void CMultiThread::Run() {
    while (!g_bShuttingDown && !m_bStop) {
        PumpMessages();
        Step();
        ++m_nSteps;
    }
    m_phone.m_bClosing = true;
    {
        std::lock_guard lock(m_fieldMutex);
        m_phone.m_workerSettings.sPath = m_sDataPath;
    }
    if (m_bSaveOnExit)
        m_phone.SaveAll();
    if (m_phone.IsSerialModem()) {
        m_phone.m_driver.SetStopRequest(false);
        if (m_phone.m_driver.IsOpen())
            m_phone.m_driver.Shutdown();
    } else {
        m_phone.Device().Close(true);
    }
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
    if (g_bShuttingDown || m_bStop)
        return;
    try {
        if (!CheckLine())
            return;
        if (m_phone.m_driver.StopRequested() && !m_bInWait) {
            SleepMs(1);
            m_phone.m_driver.SetStopRequest(false);
            return;
        }
        if (WaitEvent())
            HandleRing();
    } catch (const std::exception&) {
        // One bad step must not end monitoring; the next step starts afresh.
    } catch (const ModemCommandFailure&) {
    } catch (const ModemWriteFailure&) {
    }
}

// A request from the UI; while a speakerphone request waits for its loop,
// nothing else runs.
void CMultiThread::RunPendingAction() {
    m_bRearm = true;
    if (!(g_bSpeakerphone && !m_bSpeakerphoneRunning))
        RunAction();
    SleepQuantum();
}

bool CMultiThread::CheckLine() {
    CCommDriver& drv = m_phone.m_driver;
    if (g_bReconfigure) {
        // The set-up wizard belongs to the desktop program; here the device
        // is reopened with the settings as they now stand.
        CloseDevice();
        g_bPaused = false;
        g_bReconfigure = false;
        return false;
    }
    if (uint32_t deadline = m_phone.m_dwFaxDeadline.load()) {
        SleepMs(10);
        if (static_cast<int32_t>(deadline - GetTickCount()) > 0)
            return false;
        m_phone.m_dwFaxDeadline = 0;
        g_bPaused = false;
        m_ui.MonitoringChanged(false);
    }
    if (g_bPaused) {
        CloseDevice();
        SleepQuantum();
        return false;
    }
    if (g_bActionPending) {
        RunPendingAction();
        return false;
    }
    ITelephoneDevice& dev = m_phone.Device();
    if (!dev.IsOpen()) {
        OpenDevice();
        return false;
    }
    if (m_phone.IsSerialModem() && !drv.IsOpen()) {
        SleepQuantum();
        return false;
    }
    if (g_bOffHookRequest) {
        GoOffHook();
        return false;
    }
    if (g_bHangUpRequest) {
        HangUp();
        TouchCurrentFile();
        return false;
    }
    if (g_bHold) {
        PlayHoldMusic();
        return false;
    }
    if (g_bActionPending) {
        RunPendingAction();
        return false;
    }
    switch (CheckRingTiming(m_rings, GetTickCount())) {
    case RingTiming::NoRing:
    case RingTiming::Ringing:
        return true;
    case RingTiming::AnsweredReset:
    case RingTiming::Forget:
        break;
    case RingTiming::RingsEnded:
        RingsEnded();
        break;
    }
    ResetRings();
    return true;
}

void CMultiThread::ResetRings() {
    m_rings.Reset();
    m_nRingCount = 0;
    g_bRinging = false;
    g_bCidBusy = false;
    m_bPopupShown = false;
    m_bAnswerAsked = false;
}

void CMultiThread::TouchCurrentFile() {
    std::string file = CurrentFile();
    if (!file.empty())
        TouchFile(file);
    SetCurrentFile("");
}

void CMultiThread::RingsEnded() {
    Log("Rings ended.\n");
    CNumber cur = g_curCall.Update([&](CNumber& c) {
        c.m_nKind = m_rings.nRings;
        return c;
    });
    CloseLastRecentCall();
    if (m_phone.bHandsetStart) {
        m_bHandsetRecording = true;
        m_ui.SetHandsetRecording(true);
        RecordCall(kRecordHandset);
    } else {
        HangUp();
    }
    if (m_phone.bEMailCID && m_rings.nRings >= m_phone.nRings) {
        std::vector<CNumber> calls = g_recentCalls.Update([&](std::vector<CNumber>& v) {
            if (v.empty())
                v.insert(v.begin(), cur);
            std::vector<CNumber> out = v;
            v.clear();
            return out;
        });
        // Give the front end a moment to store the call before it is mailed.
        for (int i = 0; i < m_nMailSettleRounds && !m_bStop && !g_bShuttingDown; ++i) {
            PumpMessages();
            SleepMs(50);
        }
        SendMissedCallMail(calls, false);
        if (!m_phone.m_dwFaxDeadline)
            OpenDevice();
    }
}

bool CMultiThread::WaitEvent() {
    CCommDriver& drv = m_phone.m_driver;
    if (!m_phone.IsSerialModem()) {
        // Rings of other devices arrive as thread messages.
        HandsetCheck();
        SleepMs(55);
        return false;
    }
    if (!drv.m_bInitialized || g_bShuttingDown || g_bPaused || g_bTalking || g_bHold) {
        SleepMs(1);
        return false;
    }
    if (g_bTestRing)
        return true;
    drv.SetQuantumTimeouts();
    drv.SetStopRequest(false);
    m_bInWait = true;
    int r = kResultNone;
    if (m_queue.Size() == 0 && !g_bActionPending && !g_bOffHookRequest && !g_bHangUpRequest &&
        !g_bPaused && !g_bHold && !m_bStop)
        r = drv.WaitResult(static_cast<uint32_t>(std::max(drv.dwTimeoutDefault, 1)), kResultLimit);
    m_bInWait = false;
    drv.SetStopRequest(false);
    drv.SetDefaultTimeouts();
    if (drv.DeviceFailure() || !drv.IsOpen()) {
        // The modem went away: close it and let the line check reopen it.
        m_phone.Device().Close(false);
        return false;
    }
    HandsetCheck();
    return r == kResultRing || IsCidLine(r) || g_bTestRing;
}

void CMultiThread::HandsetCheck() {
    CCommDriver& drv = m_phone.m_driver;
    if (!drv.m_bHandsetOffHook || !m_phone.bHandsetStart)
        return;
    if (m_phone.bHandsetStop)
        drv.m_bHandsetTracking = true;
    if (!m_phone.bRecordImmediately) {
        if (!g_bOffHook) {
            g_bOffHookRequest = true;
            g_bTalking = true;
            g_bHangUpRequest = false;
            g_bHold = false;
            g_bSpeakerphone = false;
            g_bActionPending = false;
            drv.SetStopRequest(true);
        }
    } else {
        RecordCall(kRecordNormal);
    }
    drv.SetStopRequest(false);
}

void CMultiThread::HandleRing() {
    CCommDriver& drv = m_phone.m_driver;
    m_ui.StopTimer(UiTimer::MainCallRefresh);
    m_ui.ClearLastPlayed();
    Log("RING detected\n");
    const uint32_t now = GetTickCount();
    m_rings.dwLastRing = now;
    if (m_rings.nRings == 0)
        m_rings.dwRingStart = now;
    g_bTestRing = false;
    g_bTalking = false;
    g_bHold = false;
    g_bHangUpRequest = false;
    g_bCidBusy = true;
    g_bRinging = true;
    m_bRearm = true;
    if (m_rings.nRings == 0)
        g_curCall.Update([](CNumber& c) { c.Reset(); });
    const int before = m_rings.nRings;
    g_curCall.Update([&](CNumber& c) { c.m_nKind = before; });
    const bool bQuietRing = m_phone.nTextToSpeech != 0;
    if (m_phone.bRingBeforeCallerID && !bQuietRing)
        PlayRingSound(false);
    m_rings.nRings += 1;
    m_nRingCount = m_rings.nRings;
    if (m_rings.nRings == 1) {
        m_ui.CallerChanged({});
        m_ui.SetWindowTitle("Vorella");
        m_ui.ActivateMainWindow();
    }
    const bool bSerial = m_phone.IsSerialModem();
    if (ReadsCallerIdAtThisRing(m_rings, m_phone.nCIDType, bSerial)) {
        m_rings.nCidReadAt = m_rings.nRings == 1 ? 1 : 2;
        if (bSerial || m_phone.nCIDType == kCidFormattedAny || m_rings.nRings > 1)
            ReadCallerId();
    }
    if (m_rings.nRings == 1 && ReadsCallerIdAtFirstRing(m_phone.nCIDType, bSerial))
        m_ui.SetWindowTitle(CallWindowTitle(g_curCall.Get()));
    if ((!m_phone.bRingBeforeCallerID && !bQuietRing) ||
        (m_rings.nRings > 1 && m_rings.nCidReadAt < m_rings.nRings))
        PlayRingSound(false);
    // The toll-saver point: where a machine set to "away" answers.
    const int answerAt = UsesTollSaver(m_phone.nCIDType)
                             ? TollSaverRing(m_phone.nRings, m_phone.bTollSaver, g_bNewMessages)
                             : m_phone.nRings;
    // (Rings seen while the caller ID was read count too, so the point may
    // have been passed rather than met.)
    if (m_rings.nRings >= answerAt && !m_bAnswerAsked) {
        m_bAnswerAsked = true;
        m_bRearm = true;
        if (m_phone.nAction == 1 && !g_bActionPending && !g_bOffHook)
            RequestAction(kActionAnswer);
    }
    if (m_phone.iPopup != 0) {
        m_ui.StartTimer(UiTimer::PopupClose, kPopupRingMs);
        if (!m_bPopupShown) {
            m_bPopupShown = true;
            m_ui.ShowPopup();
        }
    }
    g_bTestRing = false;
    m_rings.bCidSeen = false;
    g_bCidBusy = false;
    m_bRearm = true;
    (void)drv;
}

void CMultiThread::ReadCallerId() {
    CCommDriver& drv = m_phone.m_driver;
    g_nAction = 0;
    drv.SetStopRequest(false);
    g_bCidBusy = true;
    g_curCall.Update([](CNumber& c) { c.m_nKind = 1; });
    CallerIdContext ctx{m_ui, m_phone.bFilterCalls, [this](const std::string& s) { Log(s); },
                        [&drv] { drv.SetStopRequest(false); }};
    if (m_phone.IsSerialModem()) {
        // A hardware caller-ID modem sends the number between the first two
        // rings, so the wait for the second ring has read it with that ring.
        std::string held;
        if (m_phone.nCIDType == kCidHardware)
            held = DigitLineBeforeRing(drv.LineBuffer());
        CCommDriverCidChannel channel(drv, held);
        CModemCallerIdSource source(channel, CidReadSettings::From(m_phone, drv.sStatusMESG),
                                    [this] {
                                        m_rings.nRings += 1;
                                        m_nRingCount = m_rings.nRings;
                                        m_rings.dwLastRing = GetTickCount();
                                    });
        CallerIdFill fill = ::ReadCallerId(source, ctx);
        m_rings.bCidSeen = fill.bCidSeen;
    } else {
        DeviceCallerData d = m_phone.Device().CallerData();
        if (m_phone.Device().Kind() == DeviceKind::UsbAdapter) {
            CRawCallerIdSource source(d.sRawMessage);
            ::ReadCallerId(source, ctx);
        } else {
            CLineCallerIdSource source([d] {
                return LineCallerData{d.bPresent, d.sName, d.sNumber};
            });
            ::ReadCallerId(source, ctx);
        }
    }
}

void CMultiThread::PlayRingSound(bool bWait) {
    if ((m_phone.m_driver.m_bHandsetOffHook && !bWait) || IsSoundPlaying())
        return;
    if (RingSoundSuppressed(m_nTrayState))
        return;
    CNumber c = g_curCall.Get();
    std::string sound =
        ProgramFile(RingSoundFor(c.m_nContactStatus, c.m_sRingSound, m_phone.sWaveRingIn));
    if (!sound.empty())
        PlaySoundFile(sound, !bWait);
}

// ---- messages, events, keys ------------------------------------------------

void CMultiThread::Dispatch(const ThreadMessage& msg) {
    switch (msg.message) {
    case kMsgRing:
        HandleRing();
        break;
    case kMsgDial:
        Dial();
        break;
    case kMsgCallerIdReady:
        ReadCallerId();
        break;
    case kMsgRemoteHangUp:
        m_ui.SetCallBusy(false);
        if (g_bOffHook)
            StopCall();
        break;
    case kMsgDeviceEvent: {
        int ch = static_cast<int>(msg.wParam & 0xFF);
        switch (ReactToLineKey(ch, m_phone.bRecordImmediately, m_phone.m_bEnhancedHold,
                               g_bRecording || g_bPlaying, m_phone.m_bDetectEvents)) {
        case LineKeyReaction::StopCall:
            StopCall();
            break;
        case LineKeyReaction::RequestAnswer:
            RequestAction(kActionAnswer);
            break;
        case LineKeyReaction::RequestRecord:
            RequestAction(kActionRecord);
            break;
        case LineKeyReaction::Dispatch:
            StopAudio();
            OnEvent(ch);
            break;
        case LineKeyReaction::Nothing:
            break;
        }
        m_nLastKey = ch;
        m_ui.AppendToneKey(static_cast<char>(ch));
        break;
    }
    case kMsgMediaEvent: {
        int ch = static_cast<int>(msg.wParam & 0xFF);
        if (!g_bRecording && !g_bPlaying)
            StopAudio();
        if (m_nLastKey != 255) {
            m_nLastKey = ch;
            OnEvent(ch);
        }
        break;
    }
    case kMsgSendMail:
        SendMissedCallMail({g_curCall.Get()}, true);
        break;
    case kMsgCallOffered:
        if (m_rings.nRings == 0)
            m_ui.StartTimer(UiTimer::MainCallRefresh, 500);
        break;
    case kMsgCallDeallocated:
        StopAudio();
        m_phone.m_driver.m_bHandsetOffHook = false;
        m_ui.SetCallBusy(false);
        break;
    case kMsgExit:
        SleepMs(110);
        StopAudio();
        SleepMs(110);
        m_ui.StartTimer(UiTimer::OrderlyExit, 1);
        break;
    default:
        break;
    }
}

void CMultiThread::OnEvent(int ch) {
    CCommDriver& drv = m_phone.m_driver;
    drv.m_nLastEvent = static_cast<unsigned char>(ch);
    if (IsToneKey(ch)) {
        g_bHangUpRequest = false;
        drv.SetStopRequest(false);
        OnKey(ch);
        return;
    }
    switch (ch) {
    case 'H':
    case 't':
        drv.m_bHandsetOffHook = true;
        break;
    case 'h':
        drv.m_bHandsetOffHook = false;
        break;
    case 'c':
        if (m_phone.bFax)
            HandOffFax();
        break;
    default:
        break;
    }
}

void CMultiThread::OnKey(int ch) {
    m_nLastKey = ch;
    KeyAction k = LookupKeyAction(ch, m_phone.m_driver.m_dtmf);
    if (!k.bKey)
        return;
    m_ui.AppendToneKey(static_cast<char>(ch));
    if (!k.bRuns)
        return;
    g_nAction = k.nAction;
    RunAction();
}

// What a line event does while a recording runs: keys mapped to stopping
// actions end it, so do the far end's busy or dial tone and a handset put
// back; a fax tone hands the call over.
bool CMultiThread::EventEndsRecording(int ch) {
    CCommDriver& drv = m_phone.m_driver;
    drv.m_nLastEvent = static_cast<unsigned char>(ch);
    if (IsToneKey(ch)) {
        m_nLastKey = ch;
        m_ui.AppendToneKey(static_cast<char>(ch));
        KeyAction k = LookupKeyAction(ch, drv.m_dtmf);
        if (!k.bRuns)
            return false;
        switch (k.nAction) {
        case kActionStopHangUp:
        case kActionStop:
        case kActionDisconnect:
            return true;
        default:
            // A recording does not start another action in the middle.
            return false;
        }
    }
    switch (ch) {
    case 'b':
    case 'd':
        m_phone.SetStatusText(EventStatusText(ch));
        return true;
    case 'h':
        drv.m_bHandsetOffHook = false;
        return m_phone.bHandsetStop || m_bHandsetRecording;
    case 'H':
    case 't':
        drv.m_bHandsetOffHook = true;
        return false;
    case 'c':
        if (m_phone.bFax) {
            m_bFaxAfterRecording = true;
            return true;
        }
        return false;
    default:
        return false;
    }
}

// ---- line and device -------------------------------------------------------

void CMultiThread::GoOffHook() {
    g_bSpeakerphone = false;
    g_curCall.Update([](CNumber& c) { c.m_sAnnouncement.clear(); });
    m_phone.Device().GoOffHook();
    m_ui.SetCallBusy(true);
    g_bOffHookRequest = false;
    g_bOffHook = true;
}

void CMultiThread::HangUp() {
    g_bTalking = false;
    g_bHold = false;
    g_bOffHook = false;
    // A call that is hung up has no speakerphone either: a request left set
    // here would hold every later request back, the loop no longer running.
    g_bSpeakerphone = false;
    m_bSpeakerphoneRunning = false;
    g_bHangUpRequest = false;
    m_rings.nCidReadAt = 0;
    m_rings.bCidSeen = false;
    if (m_bHandsetRecording) {
        m_bHandsetRecording = false;
        m_ui.SetHandsetRecording(false);
    }
    if (m_phone.Device().IsOpen())
        m_phone.Device().HangUp();
    {
        std::lock_guard lock(m_fieldMutex);
        m_sFile2.clear();
    }
    g_bPlaying = false;
    g_bOffHook = false;
    g_bOffHookRequest = false;
    m_ui.SetCallBusy(false);
}

void CMultiThread::StopCall() {
    g_bHangUpRequest = true;
    m_phone.m_driver.SetStopRequest(true);
}

void CMultiThread::OpenDevice() {
    CCommDriver& drv = m_phone.m_driver;
    m_phone.m_dwFaxDeadline = 0;
    m_bHandsetRecording = false;
    ITelephoneDevice& dev = m_phone.Device();
    if (!dev.IsAvailable()) {
        // Nothing to drive: say so and stay paused, rather than pretend.
        m_phone.SetStatusText(DeviceKindName(dev.Kind()) + ": not available");
        if (!g_bPaused) {
            g_bPaused = true;
            m_ui.MonitoringChanged(true);
        }
        return;
    }
    if (!dev.Open()) {
        SleepMs(static_cast<uint32_t>(std::clamp(drv.dwTimeoutDefault, 1, 10000)));
        return;
    }
    if (!drv.DeviceFailure())
        m_bRearm = true;
    SleepQuantum();
    drv.SetStopRequest(false);
}

void CMultiThread::CloseDevice() {
    CCommDriver& drv = m_phone.m_driver;
    if (m_phone.Device().IsOpen())
        m_phone.Device().Close(false);
    drv.SetStopRequest(false);
    g_bPaused = true;
    g_bOffHook = false;
    std::lock_guard lock(m_fieldMutex);
    m_sFile.clear();
    m_sFile2.clear();
}

void CMultiThread::StopAudio() {
    g_bHold = false;
    if (g_bPlaying || g_bRecording) {
        m_phone.m_driver.SetStopRequest(true);
        g_bRecording = false;
    }
    g_bPlaying = false;
    m_phone.m_driver.SetStopRequest(false);
    m_ui.SetCallBusy(false);
    g_bOffHook = false;
}
