#include "engine/TelephonyLineDevice.h"

#include "audio/RecThread.h"
#include "audio/SoundBackend.h"
#include "audio/WaveDecoder.h"
#include "engine/CallState.h"
#include "engine/Phone.h"
#include "engine/RecordingSteps.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <algorithm>

namespace {

std::mutex g_factoryMutex;
TapiProviderFactory g_factory; // under g_factoryMutex

// How long taking the line may take before it counts as failed.
constexpr uint32_t kConnectWaitMs = 8000;
// A recording from a telephony line is taken at this rate.
constexpr uint32_t kLineSampleRate = 8000;
// Frames written to the line's sound device at a time.
constexpr size_t kPlayChunk = 160;

} // namespace

void SetTapiProviderFactory(TapiProviderFactory factory) {
    std::lock_guard lock(g_factoryMutex);
    g_factory = std::move(factory);
}

bool HasTapiProvider() {
    std::lock_guard lock(g_factoryMutex);
    return static_cast<bool>(g_factory);
}

std::unique_ptr<ITapiProvider> MakeTapiProvider() {
    std::lock_guard lock(g_factoryMutex);
    return g_factory ? g_factory() : nullptr;
}

std::unique_ptr<ITelephoneDevice> MakeTelephonyLineDevice(CPhone& phone) {
    std::unique_ptr<ITapiProvider> provider = MakeTapiProvider();
    if (!provider)
        return MakeUnavailableDevice(DeviceKind::TelephonyLine);
    return std::make_unique<CTelephonyLineDevice>(phone, std::move(provider));
}

CTelephonyLineDevice::CTelephonyLineDevice(CPhone& phone, std::unique_ptr<ITapiProvider> provider)
    : m_phone(phone), m_pProvider(std::move(provider)) {
    TapiEngineLink link;
    link.post = [this](int m, uintptr_t w, intptr_t l) { Post(m, w, l); };
    link.handlingCall = [] { return g_bOffHook || g_bRecording || g_bPlaying; };
    link.placingCall = [] { return g_bDialing.load(); };
    link.log = [this](const std::string& text) { m_phone.Trace("TAPI: " + text + "\n"); };
    m_pTapi = std::make_unique<CMyTapi>(*m_pProvider, std::move(link));
}

CTelephonyLineDevice::~CTelephonyLineDevice() {
    // The message thread ends before the provider it reads goes.
    m_pTapi.reset();
}

void CTelephonyLineDevice::SetEventSink(std::function<void(int, uintptr_t, intptr_t)> sink) {
    std::lock_guard lock(m_sinkMutex);
    m_sink = std::move(sink);
}

void CTelephonyLineDevice::Post(int nMessage, uintptr_t wParam, intptr_t lParam) {
    std::lock_guard lock(m_sinkMutex);
    if (m_sink)
        m_sink(nMessage, wParam, lParam);
}

bool CTelephonyLineDevice::Open() {
    if (!m_pTapi->IsAvailable() && !m_pTapi->Start()) {
        m_bFailure = true;
        m_phone.SetStatusText(m_pTapi->StatusText());
        return false;
    }
    const auto dwLine = static_cast<uint32_t>(std::max(m_phone.nTAPILine, 0));
    m_bFailure = !m_pTapi->OpenLine(dwLine);
    return !m_bFailure;
}

void CTelephonyLineDevice::Close(bool) {
    m_pTapi->CloseLine();
}

void CTelephonyLineDevice::Shutdown() {
    SetStopRequest(false);
    m_pTapi->Stop();
}

bool CTelephonyLineDevice::IsOpen() const {
    CMyLine* line = m_pTapi->Line();
    return line && line->IsOpen();
}

std::string CTelephonyLineDevice::OpenError() const {
    if (!m_pTapi->IsAvailable())
        return m_pTapi->StatusText();
    return StrPrintf("line %d cannot be opened", m_phone.nTAPILine);
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
        if (m_phone.DriverSettings().bCompat || m_phone.nDebugLevel != 0)
            line->Dial("");
    }
    const uint32_t dwStart = GetTickCount();
    while (!line->IsConnected() && line->HasCall() && GetTickCount() - dwStart < kConnectWaitMs &&
           !m_phone.m_bClosing)
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

int CTelephonyLineDevice::PlayFile(const std::string& file, bool) {
    m_phone.m_nPlayedSamples = 0;
    CMyLine* line = m_pTapi->Line();
    if (!line || !line->HasCall())
        return -1;
    DecodedWave wave;
    std::string error;
    if (!DecodeWaveFile(file, wave, &error)) {
        m_phone.Trace("Play to the line: " + error + "\n");
        return -1;
    }
    const uint32_t dwWaveOut = line->WaveOutID();
    m_phone.Trace(StrPrintf("WaveID = %u\n", dwWaveOut));
    auto out =
        GetSoundBackend().OpenPlayback(static_cast<int>(dwWaveOut), PcmFormat(wave.nSamplesPerSec));
    if (!out) {
        m_phone.Trace(StrPrintf("Play to the line: sound device %u cannot be opened\n", dwWaveOut));
        return -1;
    }
    g_bPlaying = true;
    bool bStopped = false;
    for (size_t pos = 0; pos < wave.samples.size(); pos += kPlayChunk) {
        if (StopRequested() || CallGone() || m_phone.m_bClosing) {
            bStopped = true;
            break;
        }
        const size_t n = std::min(kPlayChunk, wave.samples.size() - pos);
        if (!out->Write(wave.samples.data() + pos, n))
            break;
        m_phone.m_nPlayedSamples += n;
    }
    if (bStopped)
        out->Reset();
    else
        out->Drain();
    g_bPlaying = false;
    return -1;
}

RecordResult CTelephonyLineDevice::Record(const std::string& file, uint64_t maxMs,
                                          const std::function<bool(int)>&) {
    RecordResult result;
    CMyLine* line = m_pTapi->Line();
    if (!line || !line->HasCall())
        return result;
    const uint32_t dwWaveIn = line->WaveInID();
    m_phone.Trace(StrPrintf("WaveID = %u\n", dwWaveIn));
    const CDriverSettings& ds = m_phone.DriverSettings();
    CRecThread rec;
    CRecThread::Setup setup;
    setup.nDeviceId = static_cast<int>(dwWaveIn);
    setup.nSampleRate = kLineSampleRate;
    setup.sFile = file;
    setup.options.bSilenceDetection = ds.bSilenceDetection;
    setup.options.iSilenceDetectionSensitivity = ds.iSilenceDetectionSensitivity;
    setup.options.iSilenceDetectionTimeout = ds.iSilenceDetectionTimeout;
    setup.options.bSoftAGC = m_phone.bSoftAGC;
    setup.options.bEnableSBOutput = false;
    setup.options.nMaxDurationMs =
        HasTimeLimit(maxMs) ? static_cast<uint32_t>(std::min<uint64_t>(maxMs, UINT32_MAX)) : 0;
    rec.Start(setup);
    while (!rec.WaitFinished(10)) {
        if (StopRequested() || CallGone() || m_phone.m_bClosing || !g_bRecording)
            rec.Stop();
    }
    if (!rec.Succeeded())
        m_phone.Trace("Record from the line: " + rec.Error() + "\n");
    result.bOpened = rec.Succeeded() || rec.SamplesWritten() > 0;
    result.bSilence = rec.EndCode() == 'q';
    result.nSamples = rec.SamplesWritten();
    return result;
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
    m_phone.Trace(
        StrPrintf("lineHandoff, rc=0x%lx\n", static_cast<unsigned long>(static_cast<uint32_t>(r))));
    return r == 0;
}
