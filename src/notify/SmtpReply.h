// Assembles one SMTP reply from the bytes a server sends: every line of a
// multi-line reply ("250-..." lines up to the final "250 ...") before the
// reply is judged. Bounded: a server cannot make it hold more than a few
// kilobytes, whatever it sends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class SmtpReply {
public:
    // RFC 5321 allows 512 characters a reply line; be generous, but bounded.
    static constexpr size_t kMaxLine = 4096;
    static constexpr size_t kMaxLines = 100;

    enum class State { NeedMore, Complete, Malformed, TooLong };

    // Takes the next bytes; returns the state after them. Bytes after the end
    // of a complete reply stay in Remainder().
    State Feed(std::string_view data);
    State GetState() const { return m_state; }

    int Code() const { return m_nCode; }
    const std::vector<std::string>& Lines() const { return m_lines; }
    // The reply's lines joined by CR LF, for display and logs.
    std::string Text() const;
    const std::string& Remainder() const { return m_sPending; }
    // What went wrong, for Malformed and TooLong.
    std::string Problem() const;

    void Reset();

private:
    State TakeLine(std::string_view line);

    State m_state = State::NeedMore;
    std::string m_sPending; // bytes not yet ending in a line feed
    std::vector<std::string> m_lines;
    int m_nCode = 0;
};
