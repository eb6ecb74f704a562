#include "speech/SpeechAnnouncer.h"

#include "audio/PlaySound.h"
#include "speech/Speech.h"

#include <utility>
#include <vector>

namespace {

constexpr uint32_t kPauseMs = 600; // between two sayings

} // namespace

CSpeechAnnouncer::CSpeechAnnouncer(std::function<void(const std::string&)> report)
    : m_report(std::move(report)) {}

CSpeechAnnouncer::~CSpeechAnnouncer() {
    Stop();
    {
        std::lock_guard lock(m_mutex);
        m_bQuit = true;
    }
    m_cv.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CSpeechAnnouncer::Say(const std::string& text, const std::string& language, int nTimes) {
    std::lock_guard lock(m_mutex);
    ++m_nAsked;
    m_sText = text;
    m_sLanguage = language;
    m_nTimes = nTimes < 1 ? 1 : nTimes;
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
    m_cv.notify_all();
}

void CSpeechAnnouncer::Stop() {
    uint64_t play = 0;
    {
        std::lock_guard lock(m_mutex);
        ++m_nAsked;
        m_sText.clear();
        play = std::exchange(m_nPlay, 0);
    }
    if (play)
        StopSoundPlay(play);
}

int CSpeechAnnouncer::Said() const {
    std::lock_guard lock(m_mutex);
    return m_nSaid;
}

void CSpeechAnnouncer::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_cv.wait(lock, [this] { return m_bQuit || !m_sText.empty(); });
        if (m_bQuit)
            return;
        const uint64_t asked = m_nAsked;
        const std::string text = std::exchange(m_sText, {});
        const std::string language = m_sLanguage;
        const int times = m_nTimes;
        lock.unlock();
        SpokenText spoken = SynthesizeSpeech(text, language);
        std::vector<int16_t> all;
        for (int i = 0; i < times && spoken.sError.empty(); ++i) {
            if (i > 0)
                all.insert(all.end(), spoken.rate * kPauseMs / 1000, 0);
            all.insert(all.end(), spoken.samples.begin(), spoken.samples.end());
        }
        lock.lock();
        if (asked != m_nAsked)
            continue; // stopped or replaced meanwhile
        std::string why = spoken.sError;
        if (why.empty()) {
            // Under the lock, so that a Stop now waits for the play's number.
            m_nPlay = PlaySoundSamples(std::move(all), spoken.rate, -1, &why);
            m_nSaid += m_nPlay != 0;
        }
        if (!why.empty() && m_report) {
            lock.unlock();
            m_report(why);
            lock.lock();
        }
    }
}
