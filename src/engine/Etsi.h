// Decoder for a raw caller-ID message as the USB telephony adapter hands it
// over: message type, message length, then parameters of type, length, value.
#pragma once

#include <string>
#include <string_view>

class Etsi {
public:
    Etsi() = default;
    virtual ~Etsi() = default;

    // Decodes one message. A message shorter than 13 bytes carries nothing we
    // could use: it sets the information-absent flag and leaves the fields as
    // they were. Values are cleaned like any caller data.
    void Parse(std::string_view message);

    std::string m_sDay;
    bool m_bInfoAbsent = false; // the caller's number or name is withheld or unknown
    std::string m_sMinute;
    std::string m_sHour;
    std::string m_sMonth;
    std::string m_sNumber;
    std::string m_sName;

    static constexpr size_t kMinMessage = 13;
};
