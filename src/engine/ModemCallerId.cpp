#include "engine/ModemCallerId.h"

#include "config/ModemProfile.h"
#include "config/Settings.h"
#include "engine/CallerText.h"
#include "modem/ResultCodes.h"
#include "platform/TextUtil.h"
#include "platform/TickCount.h"

uint32_t ICallerIdChannel::Now() {
    return GetTickCount();
}

CidReadSettings CidReadSettings::From(const CPhoneSettings& phone, const CModemProfile& profile) {
    auto ms = [](int v) { return static_cast<uint32_t>(v < 0 ? 0 : v); };
    CidReadSettings s;
    s.nCIDType = phone.nCIDType;
    s.dwTimeToGet = ms(phone.dwTimeToGet);
    s.dwTimeToWait = ms(phone.dwTimeToWait);
    s.dwTimeoutQuant = ms(phone.dwTimeoutQuant);
    s.dwTimeoutDefault = ms(phone.dwTimeoutDefault);
    s.bNumberOnlyCID = phone.bNumberOnlyCID;
    s.bTreatZeroNumberAsUnknown = phone.bTreatZeroNumberAsUnknown;
    s.sStatusMESG = profile.sStatusMESG;
    s.sStatusDATE = profile.sStatusDATE;
    s.sStatusTIME = profile.sStatusTIME;
    s.sStatusNMBR = profile.sStatusNMBR;
    s.sStatusNAME = profile.sStatusNAME;
    return s;
}

namespace {
// The byte of two hexadecimal digits at s[i], or -1.
int HexByte(std::string_view s, size_t i) {
    if (i + 1 >= s.size())
        return -1;
    int hi = HexDigitValue(s[i]);
    int lo = HexDigitValue(s[i + 1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}
} // namespace

std::string DecodeHexNumberMessage(std::string_view message) {
    // Parameter 03 (the number) and its length. Numbers of seven digits start
    // "0307"; other lengths are decoded the same way.
    int len = message.substr(0, 2) == "03" ? HexByte(message, 2) : -1;
    if (len < 0)
        return {};
    std::string number;
    for (size_t i = 4; number.size() < static_cast<size_t>(len); i += 2) {
        int b = HexByte(message, i);
        if (b < 0)
            break;
        number += static_cast<char>(b);
    }
    return number;
}

namespace {

// The longest caller-ID line the modem engine hands over.
constexpr size_t kLineLimit = 255;
// Left-over caller-ID lines read after the fields; a modem that keeps
// sending them must not hold the worker for ever.
constexpr int kMaxDrainLines = 16;
// The counts that end the reading.
constexpr int kFoundEnough = 4;
constexpr int kExtraEnough = 2;

bool IsCidField(int r) {
    return r >= kResultCidDate && r <= kResultCidMesg;
}

// A second field on the same line: its result code, where its word starts
// (with any prefix such as "DDN_") and the text after its "=" or ":".
struct SecondField {
    int nResult = 0;
    size_t nStart = std::string::npos;
    std::string sValue;
};

// Finds the first field word inside a line's value that stands as a word of
// its own, after a blank, and is followed by "=" or ":" ("ARCHER L   NMBR =
// 5071234567"). A word without either ("5551234 MESG 0715") is no field.
SecondField FindSecondField(const std::string& v, const CidReadSettings& s) {
    const std::pair<int, const std::string*> words[] = {
        {kResultCidDate, &s.sStatusDATE}, {kResultCidTime, &s.sStatusTIME},
        {kResultCidNmbr, &s.sStatusNMBR}, {kResultCidName, &s.sStatusNAME},
        {kResultCidMesg, &s.sStatusMESG}};
    SecondField best;
    for (const auto& [result, word] : words) {
        if (word->empty())
            continue;
        for (size_t p = v.find(*word, 1); p != std::string::npos && p < best.nStart;
             p = v.find(*word, p + 1)) {
            size_t after = v.find_first_not_of(' ', p + word->size());
            if (after == std::string::npos || (v[after] != '=' && v[after] != ':'))
                continue;
            size_t start = p;
            while (start > 0 && v[start - 1] != ' ')
                --start;
            if (start == 0)
                continue;
            best = {result, start, CleanCidValue(std::string_view(v).substr(after))};
            break;
        }
    }
    return best;
}

class Reader {
public:
    Reader(ICallerIdChannel& ch, const CidReadSettings& s, CNumber& call, const CidReadHooks& h)
        : m_ch(ch), m_s(s), m_call(call), m_hooks(h) {}

    CidReadOutcome Run() {
        const uint32_t start = m_ch.Now();
        for (;;) {
            int r = m_ch.WaitResult(m_o.nFound == 0 ? m_s.dwTimeToGet : m_s.dwTimeToWait);
            Handle(r);
            // The deadline is fixed at the start, whatever arrives.
            if (m_ch.Now() - start >= m_s.dwTimeToGet || m_o.nFound >= kFoundEnough ||
                m_o.nExtra >= kExtraEnough)
                break;
        }
        // A number of zeros only is no number: it takes the name like a
        // missing one (and then "NA").
        if (m_s.bTreatZeroNumberAsUnknown && !m_call.m_sCidNumber.empty() &&
            m_call.m_sCidNumber.find_first_not_of('0') == std::string::npos)
            m_call.m_sCidNumber.clear();
        if (m_call.m_sCidNumber.empty())
            m_call.m_sCidNumber = m_call.m_sCidName;
        Drain();
        m_call.m_sDisplayNumber = m_call.m_sCidNumber;
        m_call.m_sNumber = m_call.m_sCidNumber;
        m_call.m_sName = m_call.m_sCidName;
        return m_o;
    }

private:
    std::string ReadValue() {
        return CleanCidValue(m_ch.ReadRestOfLine(kLineLimit, m_s.dwTimeToWait));
    }

    void ShortTimeouts() { m_ch.SetShortTimeouts(); }

    void Handle(int r) {
        if (IsCidField(r))
            Field(r, ReadValue());
        else
            Other(r);
    }

    // One field's value; a second field on the same line is split off and
    // taken after it.
    void Field(int r, std::string v) {
        SecondField second = FindSecondField(v, m_s);
        if (second.nResult != 0)
            v = Trim(v.substr(0, second.nStart));
        TakeField(r, std::move(v));
        if (second.nResult != 0)
            Field(second.nResult, std::move(second.sValue));
    }

    void TakeField(int r, std::string v) {
        switch (r) {
        case kResultCidDate:
        case kResultCidTime: {
            std::string& field = r == kResultCidDate ? m_call.m_sDate : m_call.m_sTime;
            if (field.empty()) {
                field = std::move(v);
                ++m_o.nFound;
            }
            m_o.bCidSeen = true;
            ShortTimeouts();
            break;
        }
        case kResultCidNmbr:
            NumberLine(v);
            break;
        case kResultCidName:
            if (m_call.m_sCidName.empty()) {
                m_call.m_sCidName = std::move(v);
                ++m_o.nFound;
            }
            ++m_o.nExtra;
            m_o.bCidSeen = true;
            ShortTimeouts();
            break;
        case kResultCidMesg:
            m_call.m_sCidMessage = v;
            if (m_call.m_sCidNumber.empty())
                m_call.m_sCidNumber = SanitizeCallerText(DecodeHexNumberMessage(v));
            // A message line that brought no number only says what kind of
            // message this is ("MESG = 110101" ahead of the fields): the
            // fields still to come are read, not drained away.
            if (m_s.nCIDType != kCidFormattedLong && !m_call.m_sCidNumber.empty()) {
                ++m_o.nExtra;
                m_o.nFound = kFoundEnough;
            }
            ShortTimeouts();
            Received();
            break;
        default:
            break;
        }
    }

    void Other(int r) {
        switch (r) {
        case kResultRing:
            ++m_o.nRingsSeen;
            if (m_hooks.onRing)
                m_hooks.onRing();
            // Only the long formatted type listens on through up to two rings.
            if (m_o.nFound != 0 || m_o.nRingsSeen > 2 || m_s.nCIDType != kCidFormattedLong)
                m_o.nFound = kFoundEnough;
            break;
        default: {
            // The hardware type reports the number as a bare line of digits,
            // which no result word matches.
            std::string t = SanitizeCallerText(Trim(m_ch.LastResponse()));
            if (!t.empty() && t[0] >= '0' && t[0] <= '9') {
                m_call.m_sCidNumber = std::move(t);
                ++m_o.nFound;
                ++m_o.nExtra;
                NumberTaken();
            } else if (m_o.nFound != 0) {
                m_o.nFound = kFoundEnough;
            }
            break;
        }
        }
    }

    void NumberLine(const std::string& v) {
        size_t p = m_s.sStatusMESG.empty() ? std::string::npos : v.find(m_s.sStatusMESG);
        if (p != std::string::npos) {
            m_call.m_sCidMessage = v.substr(p + m_s.sStatusMESG.size());
            m_call.m_sCidNumber = v.substr(0, p);
            if (m_s.nCIDType != kCidFormattedLong) {
                m_o.nFound = kFoundEnough;
                ++m_o.nExtra;
            }
        } else {
            // A second number line does not replace a number already taken.
            if (m_call.m_sCidNumber.size() <= 1)
                m_call.m_sCidNumber = Trim(v);
            ++m_o.nFound;
            ++m_o.nExtra;
        }
        NumberTaken();
    }

    void NumberTaken() {
        m_o.bCidSeen = true;
        m_call.m_nCidNumber = LeadingInt(m_call.m_sCidNumber);
        if (m_s.bNumberOnlyCID)
            m_o.nFound = kFoundEnough;
        ShortTimeouts();
        Received();
    }

    void Received() {
        m_o.bReceived = true;
        if (m_hooks.onReceived)
            m_hooks.onReceived(m_call);
    }

    void Drain() {
        ShortTimeouts();
        for (int i = 0; i < kMaxDrainLines; ++i) {
            const int r = m_ch.WaitResult(2 * m_s.dwTimeoutQuant);
            if (r == kResultRing && m_hooks.onRing)
                m_hooks.onRing(); // a ring right behind the lines is still a ring
            if (!IsCidField(r))
                break;
            m_ch.ReadRestOfLine(kLineLimit, 2 * m_s.dwTimeoutQuant);
        }
        m_ch.SetNormalTimeouts();
    }

    ICallerIdChannel& m_ch;
    const CidReadSettings& m_s;
    CNumber& m_call;
    const CidReadHooks& m_hooks;
    CidReadOutcome m_o;
};

} // namespace

CidReadOutcome ReadModemCallerId(ICallerIdChannel& ch, const CidReadSettings& s, CNumber& call,
                                 const CidReadHooks& hooks) {
    return Reader(ch, s, call, hooks).Run();
}

std::string DigitLineBeforeRing(std::string_view text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string line = Trim(std::string(text.substr(start, end - start)));
        if (line.rfind("RING", 0) == 0)
            return {}; // the ring word comes after the number, never before
        if (!line.empty() && line[0] >= '0' && line[0] <= '9')
            return line.substr(0, kLineLimit);
        start = end + 1;
    }
    return {};
}
