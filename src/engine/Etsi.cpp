#include "engine/Etsi.h"

#include "engine/CallerText.h"

namespace {

enum EtsiParam : unsigned char {
    kParamDateTime = 1,
    kParamNumber = 2,
    kParamSecondNumber = 3,
    kParamNumberAbsent = 4,
    kParamName = 7,
    kParamNameAbsent = 8,
};

// Two characters of the date-time value starting at pos ("" past its end).
std::string TwoDigits(std::string_view v, size_t pos) {
    if (pos >= v.size())
        return {};
    return SanitizeCallerText(v.substr(pos, 2));
}

} // namespace

void Etsi::Parse(std::string_view message) {
    if (message.size() < kMinMessage) {
        m_bInfoAbsent = true;
        return;
    }
    m_bInfoAbsent = false;
    size_t i = 2; // message type and message length
    while (message.size() - i >= 2) {
        unsigned char type = static_cast<unsigned char>(message[i]);
        size_t len = static_cast<unsigned char>(message[i + 1]);
        i += 2;
        // A parameter that claims more than the message holds is cut at its end.
        std::string_view value = message.substr(i, len);
        i += value.size();
        switch (type) {
        case kParamDateTime:
            m_sMonth = TwoDigits(value, 0);
            m_sDay = TwoDigits(value, 2);
            m_sHour = TwoDigits(value, 4);
            m_sMinute = TwoDigits(value, 6);
            break;
        case kParamNumber:
            m_sNumber = SanitizeCallerText(value);
            break;
        case kParamSecondNumber:
            if (m_sNumber.empty())
                m_sNumber = SanitizeCallerText(value);
            break;
        case kParamNumberAbsent:
            m_bInfoAbsent = true;
            m_sNumber = SanitizeCallerText(value);
            break;
        case kParamName:
            m_sName = SanitizeCallerText(value);
            break;
        case kParamNameAbsent:
            m_bInfoAbsent = true;
            m_sName = SanitizeCallerText(value);
            break;
        default:
            break;
        }
    }
}
