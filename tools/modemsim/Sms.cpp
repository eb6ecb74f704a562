// Text messages in text mode, as a mobile-network modem takes them:
// AT+CMGF=1 chooses text mode (the modem starts in PDU mode), AT+CMGS="<number>"
// answers with the "> " prompt, the text follows (a CR starts a new line of
// it and prompts again) and Ctrl-Z sends it ("+CMGS: <reference>", OK) or Esc
// cancels it (OK). Refusals are "+CMS ERROR: <code>" final results.
#include "ModemCore.h"

#include "platform/TextUtil.h"

#include <algorithm>

namespace modemsim {

namespace {

constexpr char kCtrlZ = 0x1A;
constexpr char kEsc = 0x1B;
// The most a single message carries, in GSM characters.
constexpr size_t kMaxSeptets = 160;
// Text kept of an overlong message; the rest is counted, not stored.
constexpr size_t kMaxKept = 4096;
// Error codes of 3GPP TS 27.005.
constexpr int kInvalidPduParameter = 304;
constexpr int kInvalidTextParameter = 305;

// Characters of the default alphabet's extension table take two.
size_t Septets(const std::string& text) {
    size_t n = 0;
    for (char c : text)
        n += std::string_view("^{}\\[~]|").find(c) != std::string_view::npos ? 2 : 1;
    return n;
}

bool IsDialString(const std::string& s) {
    return !s.empty() && s.size() <= 20 &&
           std::all_of(s.begin() + (s[0] == '+' ? 1 : 0), s.end(), ::isdigit);
}

} // namespace

void ModemCore::SendSmsError(int code) {
    Reply(StrPrintf("\r\n+CMS ERROR: %d\r\n", code));
}

ModemCore::Outcome ModemCore::ExecuteSms(const AtCommand& cmd) {
    using K = AtCommand::Kind;
    if (cmd.name == "+CMGF") {
        if (cmd.kind == K::Test)
            SendInfo("+CMGF: (0,1)");
        else if (cmd.kind == K::Read)
            SendInfo(m_smsTextMode ? "+CMGF: 1" : "+CMGF: 0");
        else if (cmd.arg == "1" || cmd.arg == "0" || cmd.kind == K::Action)
            m_smsTextMode = cmd.arg == "1";
        else
            return Outcome::Error;
        return Outcome::Ok;
    }
    // +CMGS
    if (cmd.kind == K::Test)
        return Outcome::Ok;
    if (cmd.kind != K::Set)
        return Outcome::Error;
    if (!m_smsTextMode) {
        // PDU mode wants the length of a PDU, which this modem does not take.
        SendSmsError(kInvalidPduParameter);
        return Outcome::Taken;
    }
    std::string number = cmd.arg.substr(0, cmd.arg.find(','));
    if (number.size() >= 2 && number.front() == '"' && number.back() == '"')
        number = number.substr(1, number.size() - 2);
    else
        number.clear();
    if (!IsDialString(number)) {
        SendSmsError(kInvalidTextParameter);
        return Outcome::Taken;
    }
    m_smsNumber = number;
    m_smsText.clear();
    m_mode = Mode::MessageText;
    Reply("\r\n> ");
    return Outcome::Taken;
}

void ModemCore::FeedMessageText(char c) {
    if (m_echo && c != kCtrlZ && c != kEsc)
        m_out += c;
    if (c == kEsc) {
        m_mode = Mode::Command;
        ++m_seen.messagesCancelled;
        SendResult("OK");
    } else if (c == kCtrlZ) {
        m_mode = Mode::Command;
        if (m_smsRefusalsLeft != 0) {
            if (m_smsRefusalsLeft > 0)
                --m_smsRefusalsLeft;
            ++m_seen.messagesRefused;
            SendSmsError(m_smsRefusalCode);
        } else if (Septets(m_smsText) > kMaxSeptets) {
            ++m_seen.messagesRefused;
            SendSmsError(kInvalidTextParameter);
        } else {
            m_seen.AddMessage({m_smsNumber, m_smsText});
            m_smsReference = (m_smsReference + 1) % 256;
            Reply(StrPrintf("\r\n+CMGS: %d\r\n", m_smsReference));
            SendResult("OK");
        }
    } else if (c == static_cast<char>(m_sregs[3])) {
        m_smsText += '\n';
        Reply("\r\n> ");
    } else if (c == static_cast<char>(m_sregs[5])) {
        if (!m_smsText.empty())
            m_smsText.pop_back();
    } else if (m_smsText.size() < kMaxKept) {
        m_smsText += c; // beyond, the message is too long to send anyway
    }
}

} // namespace modemsim
