#include "ModemCore.h"

#include "platform/TextUtil.h"

#include <algorithm>

namespace modemsim {

namespace {

// Longest command line the modem buffers; longer lines are answered ERROR.
constexpr size_t kMaxLine = 1024;
// Output kept queued before generators (voice, floods) pause for the host.
constexpr size_t kOutputHigh = 4096;
// A host that writes and never reads: past this the modem drops its echo and
// answers, as a real one would lose them in its full buffer.
constexpr size_t kOutputLimit = 1 << 20;
constexpr size_t kLongLineBytes = 100 * 1024;

// Hayes numeric result codes, for V0.
int NumericCode(const std::string& word) {
    static const std::map<std::string, int> kCodes = {
        {"OK", 0},    {"CONNECT", 1},      {"RING", 2}, {"NO CARRIER", 3},
        {"ERROR", 4}, {"NO DIAL TONE", 6}, {"BUSY", 7}, {"NO ANSWER", 8},
    };
    auto it = kCodes.find(word);
    return it == kCodes.end() ? -1 : it->second;
}

int Elapsed(uint32_t now, uint32_t since) {
    return static_cast<int32_t>(now - since);
}

} // namespace

void Observed::AddLine(std::string line) {
    if (lines.size() >= kMaxRecords)
        lines.erase(lines.begin(), lines.begin() + kMaxRecords / 2);
    lines.push_back(std::move(line));
}

void Observed::AddCommand(std::string command) {
    if (commands.size() >= kMaxRecords) {
        commands.erase(commands.begin(), commands.begin() + kMaxRecords / 2);
        commandsDropped += kMaxRecords / 2;
    }
    commands.push_back(std::move(command));
}

void Observed::AddDialled(std::string number) {
    if (dialled.size() >= kMaxRecords)
        dialled.erase(dialled.begin(), dialled.begin() + kMaxRecords / 2);
    dialled.push_back(std::move(number));
}

void Observed::AddMessage(SentMessage message) {
    if (messages.size() >= kMaxRecords)
        messages.erase(messages.begin(), messages.begin() + kMaxRecords / 2);
    messages.push_back(std::move(message));
}

void Observed::TrimTransmitted() {
    if (transmitted.size() > kMaxSamples)
        transmitted.resize(kMaxSamples);
}

ModemCore::ModemCore(const Personality& personality, double voicePace)
    : m_p(personality), m_pace(voicePace) {
    Reset();
}

void ModemCore::Reset() {
    m_echo = true;
    m_quiet = false;
    m_verbose = true;
    m_sregs.fill(0);
    // The usual factory values: escape "+", CR, LF, backspace, waits.
    m_sregs[2] = 43;
    m_sregs[3] = 13;
    m_sregs[4] = 10;
    m_sregs[5] = 8;
    m_sregs[6] = 2;
    m_sregs[7] = 50;
    m_sregs[8] = 2;
    m_sregs[10] = 14;
    m_fclass.assign(1, '0');
    m_values.clear();
    m_smsTextMode = false;
    if (!m_formatForced)
        m_format = {m_p.defaultCompressionId, m_p.defaultSampleRate};
}

void ModemCore::Feed(const char* data, size_t n, uint32_t now) {
    if (m_vanished)
        return;
    m_now = now;
    for (size_t i = 0; i < n && !m_vanished; ++i) {
        auto byte = static_cast<uint8_t>(data[i]);
        // A host that ends its lines with CR LF must not have the LF abort the
        // dial or end (or pollute) the voice stream the line just started.
        bool swallow = m_swallowLf && byte == '\n';
        m_swallowLf = false;
        if (swallow)
            continue;
        switch (m_mode) {
        case Mode::Command:
            FeedCommand(static_cast<char>(byte), now);
            break;
        case Mode::Dialling:
            // Any key from the host aborts a dial, as on every Hayes modem.
            m_mode = Mode::Command;
            SendResult("NO CARRIER");
            break;
        case Mode::VoiceReceive:
            FeedReceive(byte);
            break;
        case Mode::VoiceTransmit:
            FeedTransmit(byte);
            break;
        case Mode::MessageText:
            FeedMessageText(static_cast<char>(byte));
            break;
        }
    }
}

void ModemCore::FeedCommand(char c, uint32_t now) {
    if (m_misbehaviour == Misbehaviour::Silent)
        return;
    if (m_echo && m_out.size() < kOutputLimit)
        m_out += c;
    switch (m_lineState) {
    case LineState::Idle:
        if (c == 'A' || c == 'a')
            m_lineState = LineState::GotA;
        return;
    case LineState::GotA:
        if (c == '/') {
            // "A/" repeats the last line at once, without a CR.
            m_lineState = LineState::Idle;
            RunLine(m_lastLine, now);
        } else if (c == 'T' || c == 't') {
            m_lineState = LineState::InLine;
            m_line.clear();
            m_lineTooLong = false;
        } else {
            m_lineState = (c == 'A' || c == 'a') ? LineState::GotA : LineState::Idle;
        }
        return;
    case LineState::InLine:
        if (c == static_cast<char>(m_sregs[3])) {
            m_lineState = LineState::Idle;
            m_swallowLf = true;
            if (m_lineTooLong) {
                m_seen.AddLine(m_line + "...");
                SendResult("ERROR");
                return;
            }
            m_lastLine = m_line;
            RunLine(m_line, now);
        } else if (c == static_cast<char>(m_sregs[5])) {
            if (!m_line.empty())
                m_line.pop_back();
        } else if (c >= 0x20 && c < 0x7F) {
            if (m_line.size() < kMaxLine)
                m_line += c;
            else
                m_lineTooLong = true;
        }
        return;
    }
}

void ModemCore::RunLine(const std::string& body, uint32_t now) {
    m_seen.AddLine(body);
    if (!m_vanishOn.empty() &&
        ToUpperAscii(body).find(ToUpperAscii(m_vanishOn)) != std::string::npos) {
        m_vanished = true;
        return;
    }
    switch (m_misbehaviour) {
    case Misbehaviour::Babble:
        for (int i = 0, n = 64 + static_cast<int>(m_random() % 448);
             i < n && m_out.size() < kOutputLimit; ++i)
            m_out += static_cast<char>(m_random() & 0xFF);
        return;
    case Misbehaviour::LongLine:
        m_floodLeft = kLongLineBytes;
        return;
    case Misbehaviour::DleStorm:
        m_floodLeft = SIZE_MAX;
        return;
    default:
        break;
    }
    auto commands = ParseAtLine(body);
    if (!commands) {
        SendResult("ERROR");
        return;
    }
    for (const AtCommand& cmd : *commands) {
        m_seen.AddCommand(cmd.Text());
        Outcome o = Execute(cmd, now);
        if (o == Outcome::Error) {
            SendResult("ERROR");
            return;
        }
        if (o == Outcome::Taken)
            return; // the rest of the line is dropped, as after a dial or +VRX
    }
    SendResult("OK");
}

// Answers to the host go out now, or after the reply delay of a slow modem.
void ModemCore::Reply(const std::string& bytes) {
    if (m_delayed.size() >= 4096 || m_out.size() >= kOutputLimit)
        return; // a host that floods the modem and never reads loses answers
    if (m_replyDelayMs > 0 || !m_delayed.empty())
        m_delayed.push_back({m_now + static_cast<uint32_t>(m_replyDelayMs), bytes});
    else
        m_out += bytes;
}

void ModemCore::SendResult(const std::string& word) {
    if (m_quiet)
        return;
    int code = m_verbose ? -1 : NumericCode(word);
    if (code >= 0)
        Reply(std::to_string(code) + "\r");
    else
        Reply("\r\n" + word + "\r\n");
}

void ModemCore::SendInfo(const std::string& text) {
    if (m_verbose)
        Reply("\r\n" + text + "\r\n");
    else
        Reply(text + "\r\n");
}

void ModemCore::Ring(int count, const RingCadence& cadence, uint32_t now, const std::string& word) {
    m_ringWord = word;
    m_ringsLeft = count;
    m_cadence = cadence;
    m_nextRingAt = now;
    m_ringsStarted = false;
    m_callerIdAt.reset();
}

void ModemCore::SetCallerId(const CallerId& id, CallerIdForm form) {
    m_callerId = id;
    m_callerIdForm = form;
}

void ModemCore::SetDialResult(const std::string& word, int delayMs) {
    m_dialWord = word;
    m_dialDelayMs = std::max(0, delayMs);
}

void ModemCore::SendEventNow(char code) {
    m_out += kDle;
    m_out += code;
}

void ModemCore::SetMisbehaviour(Misbehaviour mode) {
    m_misbehaviour = mode;
    if (mode != Misbehaviour::LongLine && mode != Misbehaviour::DleStorm)
        m_floodLeft = 0;
}

void ModemCore::TickRings(uint32_t now) {
    if (m_ringsLeft > 0 && m_offHook) {
        // Taking the line ends the ringing.
        m_ringsLeft = 0;
        m_callerIdAt.reset();
    }
    if (m_ringsLeft > 0 && Elapsed(now, m_nextRingAt) >= 0 && m_mode == Mode::Command) {
        if (!m_ringWord.empty() && m_ringWord[0] == kDle)
            m_out += m_ringWord; // voice-mode style: DLE R, not a result word
        else if (!m_quiet)
            m_out += m_verbose ? "\r\n" + m_ringWord + "\r\n" : "2\r";
        if (!m_ringsStarted && m_callerIdForm != CallerIdForm::None)
            m_callerIdAt = now + static_cast<uint32_t>(m_cadence.callerIdDelayMs);
        m_ringsStarted = true;
        --m_ringsLeft;
        m_nextRingAt = now + static_cast<uint32_t>(m_cadence.periodMs);
    }
    if (m_callerIdAt && Elapsed(now, *m_callerIdAt) >= 0) {
        m_callerIdAt.reset();
        SendCallerId();
    }
}

void ModemCore::SendCallerId() {
    const CallerId& id = m_callerId;
    std::string s;
    switch (m_callerIdForm) {
    case CallerIdForm::None:
        return;
    case CallerIdForm::Formatted:
        s = "\r\n";
        if (!id.date.empty())
            s += "DATE = " + id.date + "\r\n";
        if (!id.time.empty())
            s += "TIME = " + id.time + "\r\n";
        if (!id.number.empty())
            s += "NMBR = " + id.number + "\r\n";
        if (!id.name.empty())
            s += "NAME = " + id.name + "\r\n";
        if (!id.message.empty())
            s += "MESG = " + id.message + "\r\n";
        s += "\r\n";
        break;
    case CallerIdForm::Unformatted: {
        std::string hex = id.message;
        if (hex.empty()) {
            // Parameter 03 (number), its length, then each character in hex.
            hex = StrPrintf("03%02X", static_cast<unsigned>(id.number.size() & 0xFF));
            for (unsigned char c : id.number)
                hex += StrPrintf("%02X", c);
        }
        s = "\r\nMESG = " + hex + "\r\n\r\n";
        break;
    }
    case CallerIdForm::HardwareDigits:
        s = "\r\n" + id.number + "\r\n";
        break;
    case CallerIdForm::Raw:
        s = id.message;
        break;
    }
    m_out += s;
}

void ModemCore::Tick(uint32_t now) {
    if (m_vanished)
        return;
    m_now = now;
    while (!m_delayed.empty() && Elapsed(now, m_delayed.front().due) >= 0) {
        m_out += m_delayed.front().bytes;
        m_delayed.erase(m_delayed.begin());
    }
    TickRings(now);
    if (m_mode == Mode::Dialling && Elapsed(now, m_dialAt) >= 0) {
        m_mode = Mode::Command;
        const std::string& w = m_dialResult;
        if (w == "OK" || w == "VCON" || w == "CONNECT")
            m_offHook = true;
        else
            m_offHook = false;
        SendResult(w);
    }
    if (m_mode == Mode::VoiceReceive)
        TickReceive(now);
    if (m_mode == Mode::VoiceTransmit)
        TickTransmit(now);
    TickFlood();
}

void ModemCore::TickFlood() {
    while (m_floodLeft > 0 && m_out.size() < kOutputHigh) {
        if (m_misbehaviour == Misbehaviour::DleStorm) {
            AppendDleCodes(64);
        } else {
            size_t n = std::min<size_t>(m_floodLeft, 512);
            for (size_t i = 0; i < n; ++i)
                m_out += static_cast<char>('A' + i % 26);
            m_floodLeft -= n;
        }
    }
}

void ModemCore::AppendDleCodes(int count) {
    static constexpr char kCodes[] = "0123456789*#ABCDbcdqshHtRZ!?x\x03\x10";
    for (int i = 0; i < count; ++i) {
        m_out += kDle;
        m_out += kCodes[m_random() % (sizeof(kCodes) - 1)];
    }
}

int ModemCore::NextTickIn(uint32_t now) const {
    if (m_vanished)
        return -1;
    int next = -1;
    auto consider = [&](int ms) {
        ms = std::max(ms, 0);
        if (next < 0 || ms < next)
            next = ms;
    };
    if (m_ringsLeft > 0)
        consider(Elapsed(m_nextRingAt, now));
    if (m_callerIdAt)
        consider(Elapsed(*m_callerIdAt, now));
    if (!m_delayed.empty())
        consider(Elapsed(m_delayed.front().due, now));
    if (m_mode == Mode::Dialling)
        consider(Elapsed(m_dialAt, now));
    if (m_floodLeft > 0 && m_out.size() < kOutputHigh)
        consider(0);
    if (m_mode == Mode::VoiceReceive && m_out.size() < kOutputHigh && m_delayed.empty()) {
        if (m_pace <= 0) {
            consider(0);
        } else {
            double dueMs =
                static_cast<double>(m_samplesSent) * 1000.0 / m_format.sampleRate / m_pace;
            consider(static_cast<int>(dueMs) - Elapsed(now, m_voiceStart));
        }
    }
    if (m_mode == Mode::VoiceTransmit) {
        for (const Event& e : m_events)
            consider(e.atMs - Elapsed(now, m_voiceStart));
    }
    return next;
}

} // namespace modemsim
