#include "audio/TalkPath.h"

#include "audio/AudioLog.h"
#include "audio/ClockFifo.h"
#include "audio/EchoCanceller.h"
#include "audio/RateConverter.h"
#include "audio/Saturate.h"
#include "audio/SoundBackend.h"
#include "audio/TalkCallSound.h"
#include "audio/TalkCard.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kLineRate = 8000;
constexpr size_t kLineBlock = kLineRate / 50;        // the line is read 20 ms at a time
constexpr uint32_t kCardPeriodsPerSecond = 100;      // the card, 10 ms at a time
constexpr size_t kSpeakerAhead = 3;                  // periods queued on the speaker
constexpr size_t kEchoTail = kLineRate * 128 / 1000; // 128 ms of room echo
constexpr int kLineTimeoutMs = 100;
constexpr int kCardTimeoutMs = 200;
constexpr int kCardSilentMs = 2000; // a card that gives nothing this long has gone

// A queue between the two clocks at `rate`, whose reader takes `block` at a
// time: 100 ms at most, a cushion of one block to begin with, growing by
// 10 ms up to 60 ms when the clocks jitter, and a margin of 10 ms kept when
// they have not for two seconds.
CClockFifo MakeFifo(uint32_t rate, size_t block) {
    return CClockFifo({rate / 10, block, rate / 100, rate * 3 / 50, rate * 2});
}

} // namespace

class CTalkPath::Impl {
public:
    Impl(ISoundBackend& line, int nLineIn, int nLineOut, ISoundBackend& card,
         const TalkSettings& settings)
        : m_line(line), m_nLineIn(nLineIn), m_nLineOut(nLineOut), m_card(card),
          m_settings(settings), m_nVolume(settings.nVolume), m_bMute(settings.bMute),
          m_callSound(line, nLineIn, nLineOut) {}

    bool Start(std::string* pWhy);
    void Stop();
    void Fail(const std::string& why);
    void LineLoop();
    void CardLoop();

    ISoundBackend& m_line;
    const int m_nLineIn;
    const int m_nLineOut;
    ISoundBackend& m_card;
    const TalkSettings m_settings;
    std::atomic<int> m_nVolume;
    std::atomic<bool> m_bMute;
    CTalkCallSound m_callSound;

    // While running (set up by Start before the threads, taken down after them).
    TalkCard m_cardDevices;
    std::unique_ptr<ICaptureStream> m_pFarEnd;
    std::unique_ptr<IPlaybackStream> m_pToFarEnd;
    std::unique_ptr<CRateConverter> m_pToCard;      // the line's thread's
    std::unique_ptr<CRateConverter> m_pFromCard;    // the card's thread's, for the microphone
    std::unique_ptr<CRateConverter> m_pSpeakerEcho; // and for what the speaker played
    std::unique_ptr<CEchoCanceller> m_pEcho;
    std::thread m_lineThread;
    std::thread m_cardThread;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bStarted{false};
    std::atomic<uint32_t> m_nCardRate{0};

    mutable std::mutex m_mutex;                                // guards what follows
    CClockFifo m_microphone = MakeFifo(kLineRate, kLineBlock); // cleaned, to the far end
    CClockFifo m_speaker = MakeFifo(kLineRate, kLineBlock); // from the far end, at the card's rate
    bool m_bFailed = false;
    std::string m_sFailure;
};

bool CTalkPath::Impl::Start(std::string* pWhy) {
    if (m_bStarted) {
        {
            std::lock_guard lock(m_mutex);
            if (!m_bFailed)
                return true;
        }
        Stop(); // a card that went away may be back: start afresh
    }
    std::string why;
    if (!OpenTalkCard(m_card, m_settings.nCaptureDevice, m_settings.nPlaybackDevice, m_cardDevices,
                      &why)) {
        if (pWhy)
            *pWhy = why;
        AudioError("talking at the PC: " + why + "\n");
        return false;
    }
    const uint32_t rate = m_cardDevices.nRate;
    m_pToCard = std::make_unique<CRateConverter>(kLineRate, rate);
    m_pFromCard = std::make_unique<CRateConverter>(rate, kLineRate);
    m_pSpeakerEcho = std::make_unique<CRateConverter>(rate, kLineRate);
    const std::string sConvert = m_pToCard->Error() + m_pFromCard->Error();
    if (!sConvert.empty())
        why = StrPrintf("%s runs at %u samples/s and cannot be converted: %s",
                        m_cardDevices.sName.c_str(), rate, sConvert.c_str());
    if (why.empty()) {
        m_pFarEnd = m_line.OpenCapture(m_nLineIn, PcmFormat(kLineRate));
        m_pToFarEnd = m_pFarEnd ? m_line.OpenPlayback(m_nLineOut, PcmFormat(kLineRate)) : nullptr;
        if (!m_pToFarEnd)
            why = StrPrintf("the call's sound (%s devices %d and %d) cannot be opened",
                            m_line.Name().c_str(), m_nLineIn, m_nLineOut);
    }
    if (!why.empty()) {
        if (pWhy)
            *pWhy = why;
        AudioError("talking at the PC: " + why + "\n");
        m_pFarEnd.reset();
        m_pToFarEnd.reset();
        m_cardDevices = TalkCard{};
        return false;
    }
    // The speaker's queue is the known part of the echo's way back.
    m_pEcho = std::make_unique<CEchoCanceller>(
        kEchoTail, kSpeakerAhead * kLineRate / kCardPeriodsPerSecond, m_settings.bEchoCancel);
    {
        std::lock_guard lock(m_mutex);
        m_microphone = MakeFifo(kLineRate, kLineBlock);
        m_speaker = MakeFifo(rate, rate / kCardPeriodsPerSecond);
        m_bFailed = false;
        m_sFailure.clear();
    }
    m_callSound.Begin();
    m_bStop = false;
    m_nCardRate = rate;
    m_bStarted = true;
    m_cardThread = std::thread([this] { CardLoop(); });
    m_lineThread = std::thread([this] { LineLoop(); });
    return true;
}

void CTalkPath::Impl::Stop() {
    if (!m_bStarted)
        return;
    m_bStop = true;
    m_lineThread.join();
    m_cardThread.join();
    m_callSound.End();
    m_pFarEnd.reset();
    m_pToFarEnd.reset();
    m_cardDevices = TalkCard{};
    m_pToCard.reset();
    m_pFromCard.reset();
    m_pSpeakerEcho.reset();
    m_pEcho.reset();
    m_bStarted = false;
    m_nCardRate = 0;
    std::lock_guard lock(m_mutex);
    AudioLog(StrPrintf("talking at the PC ended: microphone %llu samples padded, %llu dropped; "
                       "speaker %llu padded, %llu dropped\n",
                       static_cast<unsigned long long>(m_microphone.Padded()),
                       static_cast<unsigned long long>(m_microphone.Dropped()),
                       static_cast<unsigned long long>(m_speaker.Padded()),
                       static_cast<unsigned long long>(m_speaker.Dropped())));
}

void CTalkPath::Impl::Fail(const std::string& why) {
    {
        std::lock_guard lock(m_mutex);
        if (m_bFailed)
            return;
        m_bFailed = true;
        m_sFailure = why;
    }
    m_bStop = true;
    m_callSound.End();
    AudioError("talking at the PC stopped: " + why + "\n");
}

// Paced by the line: each block of the far end goes to the speaker, and as
// much of the microphone goes back.
void CTalkPath::Impl::LineLoop() {
    std::vector<int16_t> farEnd(kLineBlock), speaker(kLineBlock), nearEnd(kLineBlock),
        sent(kLineBlock), toCard;
    while (!m_bStop) {
        const long got = m_pFarEnd->Read(farEnd.data(), kLineBlock, kLineTimeoutMs);
        if (got < 0) {
            Fail("the call's sound device stopped delivering sound");
            return;
        }
        const size_t n = static_cast<size_t>(got);
        if (n == 0)
            continue;
        const int volume = std::max(0, m_nVolume.load());
        for (size_t i = 0; i < n; ++i)
            speaker[i] = Saturate(farEnd[i] * volume / 100);
        toCard.clear();
        m_pToCard->Process(speaker.data(), n, toCard);
        {
            std::lock_guard lock(m_mutex);
            m_speaker.Push(toCard.data(), toCard.size());
            m_microphone.Pop(nearEnd.data(), n);
        }
        if (m_bMute)
            std::fill_n(nearEnd.begin(), n, int16_t{0});
        const size_t played = m_callSound.TakePlayed(sent.data(), n);
        std::copy(nearEnd.begin() + static_cast<long>(played),
                  nearEnd.begin() + static_cast<long>(n), sent.begin() + static_cast<long>(played));
        if (!m_pToFarEnd->Write(sent.data(), n)) {
            Fail("the call's sound device stopped taking sound");
            return;
        }
        m_callSound.Heard(farEnd.data(), sent.data(), n);
    }
}

// Paced by the card: for each period the microphone gives, a period goes to
// the speaker, which so stays kSpeakerAhead periods ahead. The microphone is
// cleaned of the speaker's echo and queued for the line; both are brought
// to the line's rate by converters alike, so they stay in step.
void CTalkPath::Impl::CardLoop() {
    const size_t period = m_cardDevices.nRate / kCardPeriodsPerSecond;
    std::vector<int16_t> mic(period), speaker(period), mic8k, speaker8k, cleaned;
    for (size_t i = 0; i < kSpeakerAhead; ++i)
        if (!m_cardDevices.pSpeaker->Write(speaker.data(), period)) {
            Fail(m_cardDevices.sName + " stopped playing");
            return;
        }
    int silentMs = 0;
    while (!m_bStop) {
        const long got = m_cardDevices.pMicrophone->Read(mic.data(), period, kCardTimeoutMs);
        if (got < 0) {
            Fail(m_cardDevices.sName + " stopped recording");
            return;
        }
        if (got == 0) {
            silentMs += kCardTimeoutMs;
            if (silentMs >= kCardSilentMs) {
                Fail(m_cardDevices.sName + " gives no more sound");
                return;
            }
            continue;
        }
        silentMs = 0;
        const size_t n = static_cast<size_t>(got);
        {
            std::lock_guard lock(m_mutex);
            m_speaker.Pop(speaker.data(), n);
        }
        if (!m_cardDevices.pSpeaker->Write(speaker.data(), n)) {
            Fail(m_cardDevices.sName + " stopped playing");
            return;
        }
        mic8k.clear();
        speaker8k.clear();
        m_pFromCard->Process(mic.data(), n, mic8k);
        m_pSpeakerEcho->Process(speaker.data(), n, speaker8k);
        m_pEcho->Played(speaker8k.data(), speaker8k.size());
        cleaned.clear();
        m_pEcho->Clean(mic8k.data(), mic8k.size(), cleaned);
        std::lock_guard lock(m_mutex);
        m_microphone.Push(cleaned.data(), cleaned.size());
    }
}

CTalkPath::CTalkPath(ISoundBackend& line, int nLineIn, int nLineOut, ISoundBackend& card,
                     const TalkSettings& settings)
    : m_pImpl(std::make_unique<Impl>(line, nLineIn, nLineOut, card, settings)) {}

CTalkPath::~CTalkPath() {
    Stop();
}

bool CTalkPath::Start(std::string* pWhy) {
    return m_pImpl->Start(pWhy);
}

void CTalkPath::Stop() {
    m_pImpl->Stop();
}

bool CTalkPath::Running() const {
    std::lock_guard lock(m_pImpl->m_mutex);
    return m_pImpl->m_bStarted && !m_pImpl->m_bFailed;
}

std::string CTalkPath::Failure() const {
    std::lock_guard lock(m_pImpl->m_mutex);
    return m_pImpl->m_sFailure;
}

void CTalkPath::SetVolume(int nPercent) {
    m_pImpl->m_nVolume = nPercent;
}

void CTalkPath::SetMute(bool bMute) {
    m_pImpl->m_bMute = bMute;
}

ISoundBackend& CTalkPath::CallSound() {
    return m_pImpl->m_callSound;
}

uint32_t CTalkPath::CardRate() const {
    return m_pImpl->m_nCardRate;
}

CTalkPath::Counts CTalkPath::GetCounts() const {
    std::lock_guard lock(m_pImpl->m_mutex);
    return {m_pImpl->m_microphone.Padded(), m_pImpl->m_microphone.Dropped(),
            m_pImpl->m_speaker.Padded(), m_pImpl->m_speaker.Dropped()};
}
