// The caller of a ringing call said on the sound card (TTS_* in [Options]):
// once a call, when the caller ID comes, unless the tray is in Busy or Do
// Not Disturb or screening blocks the caller. It follows the worker's call
// events on their own thread, and the speech is made and played on a thread
// of its own, so the rings go on meanwhile; an answered or ended call stops
// it.
//
// Start, Stop and SettingsChanged run on the worker's thread (the settings
// are copied there); SetTrayState from any thread.
#pragma once

#include "speech/Announcement.h"
#include "speech/SpeechAnnouncer.h"

#include <atomic>
#include <mutex>

class CCallEventPublisher;
class CPhone;
struct CallerIdentified;

class CCallerAnnouncer {
public:
    explicit CCallerAnnouncer(CPhone& phone);
    ~CCallerAnnouncer();
    CCallerAnnouncer(const CCallerAnnouncer&) = delete;
    CCallerAnnouncer& operator=(const CCallerAnnouncer&) = delete;

    void Start(CCallEventPublisher& events);
    void Stop();
    void SettingsChanged();
    void SetTrayState(int nState) { m_nTrayState = nState; }
    // How many callers were said (for the tests).
    int Said() const { return m_speaker.Said(); }

private:
    void Announce(const CallerIdentified& caller);

    CPhone& m_phone;
    CSpeechAnnouncer m_speaker;
    std::atomic<int> m_nTrayState{0};
    std::mutex m_mutex;
    AnnounceSettings m_settings; // under m_mutex
    CCallEventPublisher* m_pEvents = nullptr;
    int m_nSubscription = 0;
    // On the events' thread: a call rings and its caller was not said yet.
    bool m_bRinging = false;
    bool m_bSaid = false;
};
