#include "adapter/HiPhoneDev.h"

#include "adapter/AdapterEvents.h"
#include "audio/SoundBackend.h"
#include "engine/ThreadMessages.h"
#include "platform/PrivateKeys.h"

#include <string>

CHiPhoneDev::CHiPhoneDev(LayerFactory factory, IAdapterWorker& worker)
    : m_factory(std::move(factory)), m_worker(worker) {}

CHiPhoneDev::~CHiPhoneDev() {
    Close();
}

AdapterOpenResult CHiPhoneDev::Open() {
    if (m_bOpen)
        return AdapterOpenResult::Opened;
    m_sMissing.clear();
    if (!m_pLayer && m_factory)
        m_pLayer = m_factory(&m_sMissing);
    if (!m_pLayer) {
        m_worker.Log("USB adapter: no adapter found" +
                     (m_sMissing.empty() ? "" : ": " + m_sMissing) + "\n");
        return AdapterOpenResult::Missing;
    }
    m_pLayer->SetSink(this);
    m_bOpen = true; // events may come while it opens (a ring already under way)
    if (!m_pLayer->Open()) {
        m_worker.Log("USB adapter: open failed, trying the older way\n");
        // The older way's answer is checked too: an adapter that opens
        // neither way must not look ready and silently miss every call.
        if (!m_pLayer->OpenFallback()) {
            m_worker.Log("USB adapter: could not be opened\n");
            m_bOpen = false;
            m_pLayer->SetSink(nullptr);
            m_pLayer.reset();
            return AdapterOpenResult::Failed;
        }
    }
    m_bOffHook = false;
    m_worker.SetStopRequest(false);
    return AdapterOpenResult::Opened;
}

void CHiPhoneDev::Close() {
    if (!m_pLayer)
        return;
    m_bOpen = false;
    m_pLayer->StopPlay();
    m_pLayer->StopRecord();
    if (m_bOffHook)
        m_pLayer->OnHook();
    m_bOffHook = false;
    m_pLayer->Close();
    m_pLayer->SetSink(nullptr);
    m_pLayer.reset();
}

bool CHiPhoneDev::GoOffHook() {
    if (!m_bOpen)
        return false;
    if (m_bOffHook)
        return true;
    if (!m_pLayer->OffHook()) {
        m_worker.Log("USB adapter: going off-hook failed\n");
        return false;
    }
    m_bOffHook = true;
    return true;
}

bool CHiPhoneDev::HangUp() {
    if (!m_bOpen)
        return false;
    m_bOffHook = false;
    if (!m_pLayer->OnHook()) {
        m_worker.Log("USB adapter: going on-hook failed\n");
        return false;
    }
    return true;
}

void CHiPhoneDev::StopAudio() {
    if (!m_bOpen)
        return;
    m_pLayer->StopPlay();
    m_pLayer->StopRecord();
}

std::string CHiPhoneDev::LastRawCallerId() const {
    std::lock_guard lock(m_cidMutex);
    return m_sLastRawCallerId;
}

CHiPhoneDev::WaveDevice CHiPhoneDev::LineWaveDevice(bool bCapture) {
    if (!m_bOpen)
        return {};
    const int id = bCapture ? m_pLayer->WaveInId() : m_pLayer->WaveOutId();
    if (id < 0) {
        m_worker.Log(bCapture ? "USB adapter: no sound device to record from\n"
                              : "USB adapter: no sound device to play to\n");
        return {};
    }
    return {&m_pLayer->SoundBackend(), id};
}

std::unique_ptr<ICaptureStream> CHiPhoneDev::OpenLineCapture() {
    if (!m_bOpen)
        return nullptr;
    int id = m_pLayer->WaveInId();
    if (id < 0) {
        m_worker.Log("USB adapter: no sound device to record from\n");
        return nullptr;
    }
    return m_pLayer->SoundBackend().OpenCapture(id, PcmFormat(kLineRate));
}

std::unique_ptr<IPlaybackStream> CHiPhoneDev::OpenLinePlayback() {
    if (!m_bOpen)
        return nullptr;
    int id = m_pLayer->WaveOutId();
    if (id < 0) {
        m_worker.Log("USB adapter: no sound device to play to\n");
        return nullptr;
    }
    return m_pLayer->SoundBackend().OpenPlayback(id, PcmFormat(kLineRate));
}

void CHiPhoneDev::OnShortEvent(int code, int param) {
    if (!m_bOpen)
        return;
    switch (AdapterEventActionOf(code)) {
    case AdapterEventAction::Key:
        if (char ch = AdapterKeyChar(param))
            m_worker.PostMessage(kMsgDeviceEvent, static_cast<unsigned char>(ch));
        else
            m_worker.Log("USB adapter: key event with parameter " +
                         (KeysPrivate() ? std::string(1, kHiddenKey) : std::to_string(param)) +
                         " ignored\n");
        break;
    case AdapterEventAction::DialTone:
        if (!m_worker.HandsetRecordingMarked())
            m_worker.PostMessage(kMsgDeviceEvent, 'd');
        break;
    case AdapterEventAction::Busy:
        m_worker.PostMessage(kMsgDeviceEvent, 'b');
        break;
    case AdapterEventAction::FaxTone:
        m_worker.PostMessage(kMsgMediaEvent, 'c');
        break;
    case AdapterEventAction::LocalOnHook:
        m_worker.SetHandsetOffHook(false);
        m_worker.SetStopRequest(true);
        break;
    case AdapterEventAction::LocalOffHook:
        m_worker.SetHandsetOffHook(true);
        break;
    case AdapterEventAction::Ring:
        m_worker.PostMessage(kMsgRing, 0);
        break;
    case AdapterEventAction::None:
        break;
    case AdapterEventAction::Unknown:
        m_worker.Log("USB adapter: unknown event " + std::to_string(code) + " (" +
                     std::to_string(param) + ") ignored\n");
        break;
    }
}

void CHiPhoneDev::OnTextEvent(int code, int /*param*/, std::string_view text) {
    if (!m_bOpen || code != kAdTextCallerId)
        return;
    OnCallerId(text);
}

void CHiPhoneDev::OnCallerId(std::string_view message) {
    switch (CheckRawCallerId(message)) {
    case RawCallerIdCheck::TooLong:
        m_worker.Log("USB adapter: caller-ID message of " + std::to_string(message.size()) +
                     " bytes refused (too long)\n");
        return;
    case RawCallerIdCheck::BadChecksum:
        m_worker.Log("USB adapter: caller-ID message with a bad checksum refused\n");
        return;
    case RawCallerIdCheck::Accepted:
        break;
    }
    {
        std::lock_guard lock(m_cidMutex);
        m_sLastRawCallerId.assign(message);
    }
    m_worker.PostMessage(kMsgCallerIdReady, 0);
}

RawCallerIdCheck CheckRawCallerId(std::string_view message) {
    if (message.size() > CHiPhoneDev::kMaxRawCallerId)
        return RawCallerIdCheck::TooLong;
    // A message that carries its checksum (one byte after the length its
    // second byte gives) must add up to 0 modulo 256 with it; one without
    // is taken as the adapter checked it.
    if (message.size() >= 2 &&
        message.size() == static_cast<unsigned char>(message[1]) + size_t{3}) {
        unsigned sum = 0;
        for (char c : message)
            sum += static_cast<unsigned char>(c);
        if ((sum & 0xFF) != 0)
            return RawCallerIdCheck::BadChecksum;
    }
    return RawCallerIdCheck::Accepted;
}
