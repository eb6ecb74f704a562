#include "notify/SmsModem.h"

#include "platform/SerialPort.h"
#include "platform/TickCount.h"

#include <string_view>

namespace {

constexpr char kCtrlZ = 0x1A;
constexpr char kEsc = 0x1B;
// Answer text kept while waiting: more than any answer to these commands.
constexpr size_t kMaxAnswer = 4096;

enum class Answer { Ok, Refused, Prompt, Silent, Failed };

struct Reply {
    Answer answer = Answer::Silent;
    std::string sLine; // the refusal's line ("+CMS ERROR: 500")
};

bool IsRefusal(std::string_view line) {
    return line == "ERROR" || line.starts_with("+CMS ERROR") || line.starts_with("+CME ERROR");
}

class ModemTalk {
public:
    explicit ModemTalk(const SmsModemPort& p) : m_p(p) {}
    ~ModemTalk() { m_port.Close(false); }

    std::string Open() {
        std::string error;
        if (!m_port.Open(m_p.sDevice, m_p.nBaud, &error, nullptr))
            return "cannot open the port: " + error;
        m_port.Purge(kPurgeAll);
        return "";
    }

    bool Write(std::string_view bytes) {
        while (!bytes.empty()) {
            int n = m_port.Write(bytes.data(), bytes.size());
            if (n <= 0)
                return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    // Reads the modem's lines until a final result (or, with bPrompt, the
    // "> " that asks for the text) or waitMs have passed.
    Reply Await(uint32_t waitMs, bool bPrompt) {
        const uint32_t start = GetTickCount();
        std::string buf;
        for (;;) {
            size_t end;
            while ((end = buf.find_first_of("\r\n")) != std::string::npos) {
                std::string line = buf.substr(0, end);
                buf.erase(0, end + 1);
                if (line == "OK")
                    return {Answer::Ok, line};
                if (IsRefusal(line))
                    return {Answer::Refused, line};
            }
            if (bPrompt && buf.starts_with("> "))
                return {Answer::Prompt, ""};
            const uint32_t spent = GetTickCount() - start;
            if (spent >= waitMs)
                return {Answer::Silent, ""};
            char chunk[256];
            int n = m_port.ReadWithin(chunk, sizeof chunk, waitMs - spent);
            if (n < 0)
                return {Answer::Failed, ""};
            buf.append(chunk, static_cast<size_t>(n));
            if (buf.size() > kMaxAnswer)
                buf.erase(0, buf.size() - kMaxAnswer);
        }
    }

    // A command that must be answered OK; "" when it was, else why.
    std::string Command(const std::string& command) {
        if (!Write(command + "\r"))
            return "the port failed while writing " + command;
        return Why(Await(m_p.nAnswerMs, false), command);
    }

    static std::string Why(const Reply& r, const std::string& what) {
        switch (r.answer) {
        case Answer::Ok:
        case Answer::Prompt:
            return "";
        case Answer::Refused:
            return "the modem answered " + r.sLine + " to " + what;
        case Answer::Silent:
            return "the modem did not answer " + what + " in time";
        case Answer::Failed:
            break;
        }
        return "the port failed while waiting for the answer to " + what;
    }

    const SmsModemPort& m_p;
    SerialPort m_port;
};

std::string Send(ModemTalk& talk, const std::string& recipient, const std::string& text) {
    if (std::string why = talk.Open(); !why.empty())
        return why;
    // Without echo, no text of ours can come back looking like an answer.
    for (const char* command : {"AT", "ATE0", "AT+CMGF=1"})
        if (std::string why = talk.Command(command); !why.empty())
            return why;
    const std::string cmgs = "AT+CMGS=\"" + recipient + "\"";
    if (!talk.Write(cmgs + "\r"))
        return "the port failed while writing " + cmgs;
    Reply r = talk.Await(talk.m_p.nAnswerMs, true);
    if (r.answer != Answer::Prompt) {
        if (r.answer == Answer::Silent)
            talk.Write(std::string(1, kEsc)); // a late prompt must not take our next command
        return ModemTalk::Why(r.answer == Answer::Ok ? Reply{Answer::Refused, "OK"} : r, cmgs);
    }
    if (!talk.Write(text + kCtrlZ))
        return "the port failed while writing the message";
    r = talk.Await(talk.m_p.nSendMs, false);
    if (r.answer == Answer::Silent)
        talk.Write(std::string(1, kEsc));
    return ModemTalk::Why(r, "the message");
}

} // namespace

std::string SendTextMessage(const SmsModemPort& port, const std::string& recipient,
                            const std::string& text) {
    ModemTalk talk(port);
    std::string why = Send(talk, recipient, text);
    if (why.empty())
        return "";
    const std::string& name = port.sName.empty() ? port.sDevice : port.sName;
    return (name == port.sDevice ? name : name + " (" + port.sDevice + ")") + ": " + why;
}
