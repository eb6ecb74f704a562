// Says a text on the sound card, on a thread of its own: espeak's sound at
// its own rate, said nTimes with a pause between, through the player of the
// ring sounds (PlaySoundSamples). Say and Stop return at once, from any
// thread; a text asked for anew replaces the one waiting or being said.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class CSpeechAnnouncer {
public:
    // report gets why a text was not said (called on the announcer's thread).
    explicit CSpeechAnnouncer(std::function<void(const std::string&)> report = {});
    ~CSpeechAnnouncer();
    CSpeechAnnouncer(const CSpeechAnnouncer&) = delete;
    CSpeechAnnouncer& operator=(const CSpeechAnnouncer&) = delete;

    void Say(const std::string& text, const std::string& language, int nTimes);
    // Drops the text waiting and stops the one being said.
    void Stop();
    // How many texts went to the card (for the tests).
    int Said() const;

private:
    void Run();

    std::function<void(const std::string&)> m_report;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::thread m_thread; // started by the first Say
    bool m_bQuit = false;
    uint64_t m_nAsked = 0; // moves on with every Say and Stop
    std::string m_sText;   // asked at m_nAsked ("" none)
    std::string m_sLanguage;
    int m_nTimes = 1;
    uint64_t m_nPlay = 0; // the player's number of what is said now
    int m_nSaid = 0;
};
