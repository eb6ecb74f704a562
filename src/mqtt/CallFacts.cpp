#include "mqtt/CallFacts.h"

#include "platform/JsonText.h"

#include <tuple>

namespace {

CJsonObject Event(const char* type) {
    CJsonObject o(CCallFacts::kMaxText);
    o.AddString("event_type", type);
    return o;
}

const char* DeviceStateWord(DeviceState s) {
    switch (s) {
    case DeviceState::Open:
        return "open";
    case DeviceState::OpenFailed:
        return "open_failed";
    case DeviceState::Lost:
        return "lost";
    case DeviceState::NotResponding:
        return "not_responding";
    case DeviceState::Unavailable:
        break;
    }
    return "unavailable";
}

} // namespace

std::vector<std::string> CCallFacts::EventTypes() {
    return {"ringing", "caller", "screened", "answered",  "recording",
            "stored",  "missed", "ended",    "line_lost", "line_back"};
}

std::vector<std::string> CCallFacts::Follow(const CallEvent& event, bool* bStateChanged) {
    const auto now = std::tie(m_line, m_nUnheard, m_sLastNumber, m_sLastName);
    const auto was = std::make_tuple(m_line, m_nUnheard, m_sLastNumber, m_sLastName);
    std::vector<std::string> out;
    if (const auto* e = std::get_if<CallRinging>(&event)) {
        if (!m_bRinging)
            m_bAnswered = false;
        m_bRinging = true;
        if (m_line == Line::Idle)
            m_line = Line::Ringing;
        out.push_back(Event("ringing").AddNumber("rings", e->nRings).Text());
    } else if (const auto* c = std::get_if<CallerIdentified>(&event)) {
        m_sLastNumber = c->sNumber;
        m_sLastName = c->sName;
        out.push_back(Event("caller")
                          .AddString("number", c->sNumber)
                          .AddString("display_number", c->sDisplayNumber)
                          .AddString("name", c->sName)
                          .AddString("network_name", c->sNetworkName)
                          .AddString("memo", c->sMemo)
                          .Text());
    } else if (const auto* s = std::get_if<CallScreened>(&event)) {
        out.push_back(Event("screened")
                          .AddString("decision", ScreenActionWord(s->action))
                          .AddString("rule", s->sRule)
                          .AddNumber("contact_id", s->nContactId)
                          .AddBool("challenge_failed", s->bChallengeFailed)
                          .Text());
    } else if (const auto* a = std::get_if<CallAnswered>(&event)) {
        m_bAnswered = true;
        if (m_line != Line::Recording)
            m_line = Line::InCall;
        out.push_back(Event("answered")
                          .AddString("by", a->by == AnsweredBy::Machine ? "machine" : "user")
                          .Text());
    } else if (const auto* r = std::get_if<RecordingStarted>(&event)) {
        m_line = Line::Recording;
        out.push_back(
            Event("recording").AddString("file", r->sFile).AddBool("message", r->bMessage).Text());
    } else if (const auto* st = std::get_if<RecordingStored>(&event)) {
        if (m_line == Line::Recording)
            m_line = Line::InCall;
        if (st->bMessage)
            ++m_nUnheard;
        out.push_back(Event("stored")
                          .AddString("file", st->sFile)
                          .AddNumber("seconds", st->nSeconds)
                          .AddBool("message", st->bMessage)
                          .AddString("problem", st->sProblem)
                          .Text());
    } else if (std::holds_alternative<CallEnded>(event)) {
        if (m_line == Line::Idle && !m_bRinging)
            return {}; // the rings ended after the line was put back: told already
        if (m_bRinging && !m_bAnswered)
            out.push_back(Event("missed")
                              .AddString("number", m_sLastNumber)
                              .AddString("name", m_sLastName)
                              .Text());
        out.push_back(Event("ended").Text());
        m_bRinging = m_bAnswered = false;
        m_line = Line::Idle;
    } else if (const auto* lost = std::get_if<LineLost>(&event)) {
        out.push_back(Event("line_lost")
                          .AddString("state", DeviceStateWord(lost->state))
                          .AddString("kind", DeviceKindName(lost->kind))
                          .AddString("device", lost->sDevice)
                          .AddString("reason", lost->sReason)
                          .Text());
    } else if (const auto* back = std::get_if<LineBack>(&event)) {
        out.push_back(Event("line_back")
                          .AddString("kind", DeviceKindName(back->kind))
                          .AddString("device", back->sDevice)
                          .Text());
    }
    if (bStateChanged)
        *bStateChanged = now != was;
    return out;
}

std::string CCallFacts::StateWord() const {
    switch (m_line) {
    case Line::Ringing:
        return "ringing";
    case Line::InCall:
        return "in call";
    case Line::Recording:
        return "recording";
    default:
        return "idle";
    }
}

std::string CCallFacts::StateJson() const {
    return CJsonObject(kMaxText)
        .AddString("state", StateWord())
        .AddNumber("unheard", m_nUnheard)
        .AddString("last_caller_number", m_sLastNumber)
        .AddString("last_caller_name", m_sLastName)
        .Text();
}
