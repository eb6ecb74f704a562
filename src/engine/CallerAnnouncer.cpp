#include "engine/CallerAnnouncer.h"

#include "engine/CallEvents.h"
#include "engine/Phone.h"
#include "engine/RingRules.h"
#include "speech/SpeechPhrases.h"

namespace {

// A caller screening blocks is not said (or no longer).
bool Blocked(ScreenAction action) {
    return action == ScreenAction::ShowBlocked || action == ScreenAction::HangUp ||
           action == ScreenAction::NotInService || action == ScreenAction::TakeMessage;
}

} // namespace

CCallerAnnouncer::CCallerAnnouncer(CPhone& phone)
    : m_phone(phone), m_speaker([&phone](const std::string& why) {
          phone.TellSoundProblem("the caller is not announced on the sound card: " + why);
      }) {}

// The worker's loop stops the subscription (Stop) before the publisher goes.
CCallerAnnouncer::~CCallerAnnouncer() = default;

void CCallerAnnouncer::SettingsChanged() {
    std::lock_guard lock(m_mutex);
    m_settings = AnnounceSettings::From(m_phone);
}

void CCallerAnnouncer::Start(CCallEventPublisher& events) {
    SettingsChanged();
    if (m_pEvents)
        return;
    m_pEvents = &events;
    m_nSubscription = events.Subscribe("caller announcement", [this](const CallEvent& event) {
        if (const auto* ring = std::get_if<CallRinging>(&event)) {
            if (ring->nRings <= 1 || !m_bRinging)
                m_bRinging = true, m_bSaid = false;
        } else if (const auto* caller = std::get_if<CallerIdentified>(&event)) {
            if (m_bRinging && !m_bSaid)
                Announce(*caller);
        } else if (const auto* screened = std::get_if<CallScreened>(&event)) {
            if (Blocked(screened->action)) {
                m_bSaid = true;
                m_speaker.Stop();
            }
        } else if (std::holds_alternative<CallAnswered>(event) ||
                   std::holds_alternative<CallEnded>(event)) {
            m_bRinging = false;
            m_speaker.Stop();
        }
    });
}

void CCallerAnnouncer::Stop() {
    if (m_pEvents)
        m_pEvents->Unsubscribe(m_nSubscription);
    m_pEvents = nullptr;
    m_speaker.Stop();
}

void CCallerAnnouncer::Announce(const CallerIdentified& caller) {
    AnnounceSettings s;
    {
        std::lock_guard lock(m_mutex);
        s = m_settings;
    }
    if (!s.bEnable)
        return;
    m_bSaid = true;
    if (RingSoundSuppressed(m_nTrayState)) {
        m_phone.Trace("The caller is not announced: the tray is in Busy or Do Not Disturb.\n");
        return;
    }
    const SpeechPhrases& phrases = UserPhrases();
    const std::string text = CallerAnnouncementText(
        s, phrases, caller.sName, caller.sNumber.empty() ? caller.sDisplayNumber : caller.sNumber);
    if (text.empty())
        return;
    m_phone.Trace("Announcing the caller on the sound card.\n");
    m_speaker.Say(text, phrases.language, AnnounceTimes(s));
}
