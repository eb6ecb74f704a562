#include "notify/SmtpReply.h"

void SmtpReply::Reset() {
    m_state = State::NeedMore;
    m_sPending.clear();
    m_lines.clear();
    m_nCode = 0;
}

std::string SmtpReply::Text() const {
    std::string out;
    for (const std::string& l : m_lines) {
        if (!out.empty())
            out += "\r\n";
        out += l;
    }
    return out;
}

std::string SmtpReply::Problem() const {
    switch (m_state) {
    case State::Malformed:
        return "the server's reply is not an SMTP reply";
    case State::TooLong:
        return "the server's reply is too long";
    default:
        return {};
    }
}

SmtpReply::State SmtpReply::TakeLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    bool digits = line.size() >= 3 && line[0] >= '2' && line[0] <= '5' && line[1] >= '0' &&
                  line[1] <= '9' && line[2] >= '0' && line[2] <= '9';
    if (!digits || (line.size() > 3 && line[3] != ' ' && line[3] != '-'))
        return State::Malformed;
    int code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    if (!m_lines.empty() && code != m_nCode)
        return State::Malformed; // every line of one reply carries the same code
    m_nCode = code;
    m_lines.emplace_back(line);
    if (line.size() > 3 && line[3] == '-')
        return m_lines.size() >= kMaxLines ? State::TooLong : State::NeedMore;
    return State::Complete;
}

SmtpReply::State SmtpReply::Feed(std::string_view data) {
    if (m_state != State::NeedMore)
        return m_state; // Reset() first to read the next reply
    m_sPending.append(data);
    size_t start = 0;
    while (m_state == State::NeedMore) {
        size_t lf = m_sPending.find('\n', start);
        if (lf == std::string::npos)
            break;
        if (lf - start > kMaxLine) {
            m_state = State::TooLong;
            break;
        }
        m_state = TakeLine(std::string_view(m_sPending).substr(start, lf - start));
        start = lf + 1;
    }
    m_sPending.erase(0, start);
    if (m_state == State::NeedMore && m_sPending.size() > kMaxLine)
        m_state = State::TooLong;
    if (m_state == State::Malformed || m_state == State::TooLong)
        m_sPending.clear();
    return m_state;
}
