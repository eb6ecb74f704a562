// The calls as a home-automation broker is told them: each call event as one
// JSON object for "<prefix>/event" (its "event_type" first), and the line's
// state for the retained "<prefix>/state". A ringing call nobody answered is
// told "missed" before it is "ended". Any text from a caller becomes a
// valid JSON string of at most kMaxText bytes.
#pragma once

#include "engine/CallEvents.h"

#include <string>
#include <vector>

class CCallFacts {
public:
    static constexpr size_t kMaxText = 256;

    // The event's messages (none for an event the broker is not told), and
    // whether the state changed with it.
    std::vector<std::string> Follow(const CallEvent& event, bool* bStateChanged);
    // {"state": "idle" | "ringing" | "in call" | "recording", "unheard": n,
    //  "last_caller_number": ..., "last_caller_name": ...}
    std::string StateJson() const;
    // The unheard messages as the call history counts them (a message
    // stored counts one more until the next count).
    void SetUnheard(int nUnheard) { m_nUnheard = nUnheard; }
    // Every event type Follow tells.
    static std::vector<std::string> EventTypes();

private:
    enum class Line { Idle, Ringing, InCall, Recording };
    std::string StateWord() const;

    Line m_line = Line::Idle;
    bool m_bRinging = false; // a call rang and has not ended
    bool m_bAnswered = false;
    int m_nUnheard = 0;
    std::string m_sLastNumber;
    std::string m_sLastName;
};
