#include "linesig/FskCallerId.h"

#include <algorithm>

namespace {

// An exchange sends some 300 bits of seizure and 80 to 180 of mark; the
// receiver needs a few of them to lock on, and a noisy line may flip one.
constexpr int kSeizureBits = 40;
constexpr int kMarkBits = 40;
// How long a seizure may go on before its mark, and a mark before the first
// byte, before what was heard is taken for something else.
constexpr int kMaxSeizureBits = 1000;
constexpr int kMaxMarkBits = 1000;
// Marks allowed between two bytes of one message.
constexpr int kMaxGapBits = 16;

enum : uint8_t { kSingleData = 0x04, kMultipleData = 0x80 };
enum : uint8_t {
    kParamDateTime = 1,
    kParamNumber = 2,
    kParamDialableNumber = 3,
    kParamNumberAbsent = 4,
    kParamName = 7,
    kParamNameAbsent = 8,
};

bool IsDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsNumber(std::string_view s) {
    return !s.empty() && s.size() <= 32 && std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= '0' && c <= '9') ||
               std::string_view("*#+-() ").find(c) != std::string_view::npos;
    });
}

// "O" (out of area, unavailable) or "P" (private), and other single letters
// some exchanges use.
bool IsReason(std::string_view s) {
    return s.size() == 1 && s[0] >= 'A' && s[0] <= 'Z';
}

// Printable text, ASCII or Latin-1.
bool IsName(std::string_view s) {
    return !s.empty() && s.size() <= 64 && std::all_of(s.begin(), s.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return (u >= 0x20 && u < 0x7f) || u >= 0xa0;
    });
}

bool IsSingleData(std::string_view body) {
    if (body.size() < 9 || !IsDigits(body.substr(0, 8)))
        return false;
    std::string_view number = body.substr(8);
    return (IsDigits(number) && number.size() <= 20) || IsReason(number);
}

bool IsMultipleData(std::string_view body) {
    bool bCaller = false;
    size_t i = 0;
    while (i < body.size()) {
        if (body.size() - i < 2)
            return false;
        auto type = static_cast<uint8_t>(body[i]);
        size_t len = static_cast<uint8_t>(body[i + 1]);
        i += 2;
        if (len == 0 || body.size() - i < len)
            return false;
        std::string_view value = body.substr(i, len);
        i += len;
        switch (type) {
        case kParamDateTime:
            if (len != 8 || !IsDigits(value))
                return false;
            break;
        case kParamNumber:
        case kParamDialableNumber:
            if (!IsNumber(value))
                return false;
            bCaller = true;
            break;
        case kParamNumberAbsent:
        case kParamNameAbsent:
            if (!IsReason(value))
                return false;
            bCaller = true;
            break;
        case kParamName:
            if (!IsName(value))
                return false;
            bCaller = true;
            break;
        default:
            break; // other parameters (call type, ...) are passed over
        }
    }
    return bCaller;
}

} // namespace

bool IsCallerIdMessage(std::string_view message) {
    if (message.size() < 2 || static_cast<uint8_t>(message[1]) != message.size() - 2)
        return false;
    std::string_view body = message.substr(2);
    switch (static_cast<uint8_t>(message[0])) {
    case kSingleData:
        return IsSingleData(body);
    case kMultipleData:
        return IsMultipleData(body);
    default:
        return false;
    }
}

void CFskCallerIdFramer::Restart() {
    m_state = State::Hunt;
    m_nLastBit = -1;
    m_nRun = 0;
    m_nBits = 0;
    m_byte = 0;
    m_msg.clear();
}

void CFskCallerIdFramer::PutBit(int bit) {
    bit &= 1;
    switch (m_state) {
    case State::Hunt:
        m_nRun = bit != m_nLastBit ? m_nRun + 1 : 1;
        m_nLastBit = bit;
        if (m_nRun >= kSeizureBits) {
            m_state = State::Seizure;
            m_nRun = 0;
            m_nBits = 0;
        }
        break;
    case State::Seizure:
        m_nRun = bit ? m_nRun + 1 : 0;
        if (m_nRun >= kMarkBits) {
            m_state = State::Mark;
            m_nRun = 0;
        } else if (++m_nBits > kMaxSeizureBits) {
            Restart();
        }
        break;
    case State::Mark:
        if (bit == 0) { // a start bit
            m_state = State::Byte;
            m_nBits = 0;
            m_byte = 0;
        } else if (++m_nRun > (m_msg.empty() ? kMaxMarkBits : kMaxGapBits)) {
            Restart();
        }
        break;
    case State::Byte:
        if (m_nBits < 8) {
            m_byte = static_cast<uint8_t>(m_byte | bit << m_nBits);
            ++m_nBits;
        } else {
            EndByte(bit == 1);
        }
        break;
    }
}

void CFskCallerIdFramer::EndByte(bool bStop) {
    if (!bStop) { // a framing error: the message is lost
        Restart();
        return;
    }
    m_msg.push_back(static_cast<char>(m_byte));
    m_state = State::Mark;
    m_nRun = 0;
    if (m_msg.size() < 2 || m_msg.size() < static_cast<uint8_t>(m_msg[1]) + 3u)
        return;
    uint8_t sum = 0;
    for (char c : m_msg)
        sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
    std::string message = m_msg.substr(0, m_msg.size() - 1);
    Restart();
    if (sum == 0 && IsCallerIdMessage(message) && m_sink)
        m_sink(std::move(message));
}

CFskCallerIdRx::CFskCallerIdRx(Form form, CFskCallerIdFramer::Sink sink)
    : m_form(form), m_framer(std::move(sink)) {
    Reset();
}

void CFskCallerIdRx::Reset() {
    // The tones and rate of the form; one bit a baud, framed here.
    const fsk_spec_t& tones = preset_fsk_specs[m_form == Form::EtsiV23 ? FSK_V23CH1 : FSK_BELL202];
    m_rx = linesig::Checked<decltype(m_rx)>(
        fsk_rx_init(nullptr, &tones, FSK_FRAME_MODE_SYNC, &OnBit, this));
    m_framer.Restart();
}

void CFskCallerIdRx::Feed(const int16_t* pSamples, int nSamples) {
    fsk_rx(m_rx.get(), pSamples, nSamples);
}

void CFskCallerIdRx::OnBit(void* pUser, int bit) {
    auto* self = static_cast<CFskCallerIdRx*>(pUser);
    if (bit >= 0)
        self->m_framer.PutBit(bit);
    else if (bit == SIG_STATUS_CARRIER_UP || bit == SIG_STATUS_CARRIER_DOWN)
        self->m_framer.Restart();
}
