#include "engine/TelephonyLineDevice.h"

#include "audio/SoundBackend.h"
#include "audio/TalkPath.h"
#include "engine/CallState.h"
#include "engine/DeviceHost.h"
#include "engine/LineSound.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <algorithm>

namespace {

// The telephony layer a line device has started; held while it is used.
std::mutex g_runningMutex;
CMyTapi* g_pRunning = nullptr; // under g_runningMutex

// How long taking the line may take before it counts as failed.
constexpr uint32_t kConnectWaitMs = 8000;

} // namespace

std::unique_ptr<ITelephoneDevice> MakeTelephonyLineDevice(IDeviceHost& host,
                                                          const CTapiProviders& providers) {
    std::string why;
    std::unique_ptr<ITapiProvider> provider = providers.Make(&why);
    if (!provider)
        return MakeUnavailableDevice(DeviceKind::TelephonyLine, why);
    return std::make_unique<CTelephonyLineDevice>(host, std::move(provider));
}

void WithRunningTelephonyLayer(const std::function<void(CMyTapi*)>& fn) {
    std::lock_guard lock(g_runningMutex);
    fn(g_pRunning);
}

CTelephonyLineDevice::CTelephonyLineDevice(IDeviceHost& host,
                                           std::unique_ptr<ITapiProvider> provider)
    : m_host(host), m_pProvider(std::move(provider)) {
    TapiEngineLink link;
    link.post = [this](int m, uintptr_t w, intptr_t l) { Post(m, w, l); };
    link.handlingCall = [this] {
        const CCallStateData& s = m_host.CallState().EngineState();
        return s.bOffHook || s.bRecording || s.bPlaying;
    };
    link.placingCall = [this] { return m_host.CallState().EngineState().bDialing.load(); };
    link.log = [this](const std::string& text) { m_host.Trace("TAPI: " + text + "\n"); };
    m_pTapi = std::make_unique<CMyTapi>(*m_pProvider, std::move(link));
}

CTelephonyLineDevice::~CTelephonyLineDevice() {
    Withdraw();
    m_pTalk.reset();
    // The message thread ends before the provider it reads goes.
    m_pTapi.reset();
}

void CTelephonyLineDevice::Withdraw() {
    std::lock_guard lock(g_runningMutex);
    if (g_pRunning == m_pTapi.get())
        g_pRunning = nullptr;
}

bool CTelephonyLineDevice::ForwardCall(const std::string& sTarget, bool bAnswered,
                                       std::string* pWhy) {
    CMyLine* line = m_pTapi->Line();
    if (!line || !line->HasCall()) {
        *pWhy = "the call has ended";
        return false;
    }
    const TapiResult r = bAnswered ? line->BlindTransfer(sTarget) : line->Redirect(sTarget);
    if (r == 0)
        return true;
    *pWhy =
        bAnswered ? "the far end did not take the transfer" : "the line cannot redirect the call";
    *pWhy += StrPrintf(" (0x%lx)", static_cast<unsigned long>(static_cast<uint32_t>(r)));
    return false;
}

void CTelephonyLineDevice::SetEventSink(std::function<void(int, uintptr_t, intptr_t)> sink) {
    m_events.SetSink(std::move(sink));
}

void CTelephonyLineDevice::Post(int nMessage, uintptr_t wParam, intptr_t lParam) {
    m_events.Post(nMessage, wParam, lParam);
}

bool CTelephonyLineDevice::Open() {
    {
        // Started and offered in one step: a listing meanwhile waits for it.
        std::lock_guard lock(g_runningMutex);
        if (!m_pTapi->IsAvailable() && !m_pTapi->Start()) {
            m_bFailure = true;
            m_host.SetStatusText(m_pTapi->StatusText());
            return false;
        }
        g_pRunning = m_pTapi.get();
    }
    const auto dwLine = static_cast<uint32_t>(std::max(m_host.Settings().nTAPILine, 0));
    m_bFailure = !m_pTapi->OpenLine(dwLine);
    return !m_bFailure;
}

void CTelephonyLineDevice::Close(bool) {
    StopTalking();
    m_pTapi->CloseLine();
}

void CTelephonyLineDevice::Shutdown() {
    StopTalking();
    SetStopRequest(false);
    Withdraw();
    m_pTapi->Stop();
}

bool CTelephonyLineDevice::IsOpen() const {
    CMyLine* line = m_pTapi->Line();
    return line && line->IsOpen();
}

std::string CTelephonyLineDevice::OpenError() const {
    if (!m_pTapi->IsAvailable())
        return m_pTapi->StatusText();
    return m_pTapi->OpenError();
}

std::string CTelephonyLineDevice::UnavailableReason() const {
    CMyLine* line = m_pTapi->Line();
    return line && line->IsOpen() ? line->UnavailableReason() : "";
}

bool CTelephonyLineDevice::GoOffHook() {
    CMyLine* line = m_pTapi->Line();
    if (!line)
        return false;
    if (line->HasCall()) {
        if (!line->IsConnected())
            line->Answer();
    } else {
        // No caller: the line is taken with a call of our own.
        line->MakeCall("");
        if (m_host.DriverSettings().bCompat || m_host.Settings().nDebugLevel != 0)
            line->Dial("");
    }
    const uint32_t dwStart = GetTickCount();
    while (!line->IsConnected() && line->HasCall() && GetTickCount() - dwStart < kConnectWaitMs &&
           !m_host.Closing())
        SleepMs(10);
    if (!line->IsConnected())
        return false;
    line->MonitorDigits();
    return true;
}

bool CTelephonyLineDevice::HangUp() {
    CMyLine* line = m_pTapi->Line();
    if (!line || !line->HasCall())
        return true;
    return line->Drop() == 0;
}

bool CTelephonyLineDevice::InVoiceMode() const {
    CMyLine* line = m_pTapi->Line();
    return line && line->HasCall() && line->IsConnected();
}

bool CTelephonyLineDevice::CallGone() const {
    return !InVoiceMode();
}

ISoundBackend& CTelephonyLineDevice::CallSound() {
    if (m_pTalk)
        return m_pTalk->CallSound();
    ISoundBackend* own = m_pProvider->SoundBackend();
    return own ? *own : GetSoundBackend();
}

int CTelephonyLineDevice::PlayFile(const std::string& file, bool bDetect) {
    m_host.PlayedSamples() = 0;
    CMyLine* line = m_pTapi->Line();
    if (!line || !line->HasCall())
        return -1;
    // While talking, the play goes to the far end in place of the microphone.
    const LineSoundDevice out{&CallSound(), static_cast<int>(line->WaveOutID())};
    int event = -1;
    m_events.BeginSound();
    PlayFileToLineDevice(
        m_host, out, file,
        [&] {
            FollowTalkLevels();
            return m_events.PlayEnds(bDetect, &event) || StopRequested() || CallGone() ||
                   m_host.Closing() || TalkEnded() || TalkWantedNow();
        },
        "Play to the line");
    m_events.EndSound();
    if (event >= 0) {
        SetLastEvent(event);
        SetStopRequest(true); // as a modem's play ended by an event leaves it
    }
    return event;
}

RecordResult CTelephonyLineDevice::Record(const std::string& file, uint64_t maxMs,
                                          const std::function<bool(int)>& onEvent) {
    CMyLine* line = m_pTapi->Line();
    if (!line || !line->HasCall())
        return {};
    // While talking, the conversation is recorded: both sides.
    const LineSoundDevice in{&CallSound(), static_cast<int>(line->WaveInID())};
    int endKey = -1;
    const auto stop = [&] {
        FollowTalkLevels();
        return m_events.RecordingEnds(onEvent, &endKey) || StopRequested() || CallGone() ||
               m_host.Closing() || !m_host.CallState().EngineState().bRecording || TalkEnded() ||
               TalkWantedNow();
    };
    m_events.BeginSound();
    const bool bStereo = m_pTalk && m_host.Settings().bTalkStereo;
    RecordResult r = RecordFromLineDevice(m_host, in, file, maxMs, stop,
                                          bStereo ? "Record the talk" : "Record from the line",
                                          bStereo ? 2 : 1);
    m_events.EndSound();
    r.nKey = endKey;
    return r;
}

bool CTelephonyLineDevice::StartTalking(const TalkSettings& settings, std::string* pWhy) {
    CMyLine* line = m_pTapi->Line();
    if (!line || !line->HasCall()) {
        *pWhy = "there is no call to talk on";
        return false;
    }
    StopTalking();
    auto talk = std::make_unique<CTalkPath>(CallSound(), static_cast<int>(line->WaveInID()),
                                            static_cast<int>(line->WaveOutID()), GetSoundBackend(),
                                            settings);
    if (!talk->Start(pWhy))
        return false;
    m_pTalk = std::move(talk);
    m_nTalkVolume = settings.nVolume;
    m_bTalkMute = settings.bMute;
    return true;
}

void CTelephonyLineDevice::StopTalking() {
    if (!m_pTalk)
        return;
    m_pTalk->Stop();
    m_pTalk.reset();
}

std::string CTelephonyLineDevice::TalkFailure() const {
    return m_pTalk ? m_pTalk->Failure() : std::string();
}

void CTelephonyLineDevice::SetTalkLevels(int nVolume, bool bMute) {
    if (!m_pTalk)
        return;
    if (nVolume != m_nTalkVolume)
        m_pTalk->SetVolume(nVolume);
    if (bMute != m_bTalkMute)
        m_pTalk->SetMute(bMute);
    m_nTalkVolume = nVolume;
    m_bTalkMute = bMute;
}

void CTelephonyLineDevice::FollowTalkLevels() {
    const CCallStateData& s = m_host.CallState().EngineState();
    SetTalkLevels(s.nTalkVolume, s.bTalkMute);
}

bool CTelephonyLineDevice::TalkEnded() const {
    return m_pTalk && (!m_pTalk->Running() || !m_host.CallState().EngineState().bSpeakerphone);
}

bool CTelephonyLineDevice::TalkWantedNow() const {
    // The user takes the call from the answering machine: its recording ends.
    return !m_pTalk && m_host.CallState().EngineState().bSpeakerphone;
}

DeviceCallerData CTelephonyLineDevice::CallerData() {
    DeviceCallerData d;
    CMyLine* line = m_pTapi->Line();
    if (!line)
        return d;
    const TapiCallerData cid = line->CallerData();
    d.bPresent = cid.bPresent && (!cid.sName.empty() || !cid.sNumber.empty());
    d.sName = cid.sName;
    d.sNumber = cid.sNumber;
    return d;
}

int CTelephonyLineDevice::Dial(const std::string& number, bool bStayOffHook) {
    CMyLine* line = m_pTapi->Line();
    if (!line)
        return -1;
    if (!line->HasCall())
        line->MakeCall(number);
    else if (!bStayOffHook)
        line->Dial(number);
    else
        line->GenerateDigits(number);
    return line->HasCall() ? 1 : -1;
}

bool CTelephonyLineDevice::HandOffCall(bool bFax, const std::string& sTarget) {
    CMyLine* line = m_pTapi->Line();
    if (!line || !line->HasCall())
        return false;
    const uint32_t dwMedia = bFax ? kMediaG3Fax : kMediaDataModem;
    SetLastEvent(255);
    line->SetMediaMode(dwMedia);
    SetLastEvent(0);
    const TapiResult r = sTarget.empty() ? line->Handoff("", dwMedia) : line->Handoff(sTarget, 0);
    m_host.Trace(
        StrPrintf("lineHandoff, rc=0x%lx\n", static_cast<unsigned long>(static_cast<uint32_t>(r))));
    return r == 0;
}
