#include "adapter/AdapterTelephoneDevice.h"

#include "audio/SoundBackend.h"
#include "engine/DeviceHost.h"
#include "engine/Etsi.h"
#include "engine/LineSound.h"
#include "engine/ThreadMessages.h"
#include "linesig/LineAudioSynth.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

// Result codes of a dial, as the AT engine gives them.
constexpr int kDialOk = 1;
constexpr int kDialError = -1;

// A modem's dial string allows a pause (","); a dial string with more keys
// and pauses than a telephone number can have is refused rather than
// played for minutes.
constexpr size_t kMaxDialKeys = 64;
constexpr int kDialPauseMs = 2000;
constexpr size_t kPlayChunk = 160; // 20 ms

// The touch-tone script for a dial string: keys and pauses; spaces, hyphens
// and brackets people write in numbers are passed over. Empty when the
// string holds nothing to dial or too much.
std::vector<LineAudioStep> DialScript(const std::string& number) {
    std::vector<LineAudioStep> steps;
    std::string keys;
    size_t nKeys = 0;
    size_t nPauses = 0;
    auto flushKeys = [&] {
        if (!keys.empty())
            steps.push_back(LineAudioStep::Keys(keys));
        keys.clear();
    };
    for (char c : number) {
        char k = (c >= 'a' && c <= 'd') ? static_cast<char>(c - 'a' + 'A') : c;
        if ((k >= '0' && k <= '9') || (k >= 'A' && k <= 'D') || k == '*' || k == '#') {
            keys += k;
            ++nKeys;
        } else if (k == ',') {
            flushKeys();
            steps.push_back(LineAudioStep::Silence(kDialPauseMs));
            ++nPauses;
        }
    }
    flushKeys();
    // Pauses count too: a string of commas would otherwise make minutes of
    // silence in memory.
    if (nKeys == 0 || nKeys + nPauses > kMaxDialKeys)
        return {};
    return steps;
}

} // namespace

CAdapterTelephoneDevice::CAdapterTelephoneDevice(CHiPhoneDev::LayerFactory factory,
                                                 IAdapterWorker& worker, IDeviceHost& host)
    : m_worker(worker), m_host(host), m_dev(std::move(factory), worker) {}

void CAdapterTelephoneDevice::SetEventSink(std::function<void(int, uintptr_t, intptr_t)> sink) {
    m_events.SetSink(std::move(sink));
}

void CAdapterTelephoneDevice::Post(int nMessage, uintptr_t wParam) {
    m_events.Post(nMessage, wParam);
}

bool CAdapterTelephoneDevice::Open() {
    AdapterOpenResult r = m_dev.Open();
    m_bMissing = r == AdapterOpenResult::Missing;
    if (m_bMissing) {
        m_worker.PauseWithMessage(kStrAdapterNotFound);
        // The message names no cause; the status line says what is missing.
        if (!m_dev.MissingReason().empty())
            m_host.SetStatusText("USB telephone adapter not found: " + m_dev.MissingReason());
    }
    return r == AdapterOpenResult::Opened;
}

void CAdapterTelephoneDevice::Close(bool /*bDeInit*/) {
    m_dev.Close();
}

bool CAdapterTelephoneDevice::GoOffHook() {
    return m_dev.GoOffHook();
}

bool CAdapterTelephoneDevice::HangUp() {
    return m_dev.HangUp();
}

std::string CAdapterTelephoneDevice::OpenError() const {
    if (m_bMissing)
        return m_dev.MissingReason().empty() ? "no USB telephone adapter was found"
                                             : m_dev.MissingReason();
    return "the USB telephone adapter did not open";
}

int CAdapterTelephoneDevice::PlayFile(const std::string& file, bool bDetect) {
    m_host.PlayedSamples() = 0;
    const CHiPhoneDev::WaveDevice out = m_dev.LineWaveDevice(false);
    if (!out.pBackend)
        return -1;
    int event = -1;
    m_events.BeginSound();
    PlayFileToLineDevice(
        m_host, {out.pBackend, out.nId}, file,
        [&] {
            return m_events.PlayEnds(bDetect, &event) || StopRequested() || !m_dev.IsOpen() ||
                   m_host.Closing();
        },
        "Play to the line through the adapter");
    m_events.EndSound();
    m_dev.StopAudio();
    if (event >= 0) {
        SetLastEvent(event);
        SetStopRequest(true); // as a modem's play ended by an event leaves it
    }
    return event;
}

RecordResult CAdapterTelephoneDevice::Record(const std::string& file, uint64_t maxMs,
                                             const std::function<bool(int)>& onEvent) {
    const CHiPhoneDev::WaveDevice in = m_dev.LineWaveDevice(true);
    if (!in.pBackend)
        return {};
    int endKey = -1;
    m_events.BeginSound();
    RecordResult r = RecordFromLineDevice(
        m_host, {in.pBackend, in.nId}, file, maxMs,
        [&] {
            return m_events.RecordingEnds(onEvent, &endKey) || StopRequested() ||
                   !m_dev.IsOpen() || m_host.Closing();
        },
        "Record from the line through the adapter");
    m_events.EndSound();
    m_dev.StopAudio();
    r.nKey = endKey;
    return r;
}

DeviceCallerData CAdapterTelephoneDevice::CallerData() {
    DeviceCallerData d;
    d.sRawMessage = m_dev.LastRawCallerId();
    if (d.sRawMessage.empty())
        return d;
    Etsi etsi;
    etsi.Parse(d.sRawMessage);
    d.bPresent = !etsi.m_bInfoAbsent || !etsi.m_sNumber.empty() || !etsi.m_sName.empty();
    d.sName = etsi.m_sName;
    d.sNumber = etsi.m_sNumber;
    return d;
}

// The adapter has no dialler of its own: the keys are made as sound and
// played to the line through its wave-out device, as a telephone's keypad
// would send them.
int CAdapterTelephoneDevice::Dial(const std::string& number, bool bStayOffHook) {
    std::vector<LineAudioStep> script = DialScript(number);
    if (script.empty()) {
        m_worker.Log("USB adapter: no number to dial, or one too long\n");
        return kDialError;
    }
    std::vector<int16_t> sound;
    try {
        sound = SynthesiseLineAudio(script);
    } catch (const std::invalid_argument& e) {
        m_worker.Log(std::string("USB adapter: cannot make the dial tones: ") + e.what() + "\n");
        return kDialError;
    }
    if (!m_dev.GoOffHook())
        return kDialError;
    std::unique_ptr<IPlaybackStream> out = m_dev.OpenLinePlayback();
    if (!out) {
        m_worker.Log("USB adapter: cannot play to the line to dial\n");
        if (!bStayOffHook)
            m_dev.HangUp();
        return kDialError;
    }
    bool bOk = true;
    for (size_t i = 0; i < sound.size() && bOk; i += kPlayChunk) {
        if (!m_dev.IsOpen()) {
            bOk = false;
            break;
        }
        bOk = out->Write(sound.data() + i, std::min(kPlayChunk, sound.size() - i));
    }
    if (bOk)
        out->Drain();
    else
        m_worker.Log("USB adapter: dialling broke off\n");
    out.reset();
    if (!bStayOffHook)
        m_dev.HangUp();
    return bOk ? kDialOk : kDialError;
}

std::unique_ptr<ITelephoneDevice> MakeAdapterDevice(IAdapterWorker& worker, IDeviceHost& host,
                                                    CHiPhoneDev::LayerFactory factory) {
    return std::make_unique<CAdapterTelephoneDevice>(std::move(factory), worker, host);
}
