// Sends one text message through a mobile-network modem on a serial port,
// with the text-mode commands: AT, AT+CMGF=1, AT+CMGS="<recipient>", the
// text ended by Ctrl-Z. Blocks until the modem has answered; for a thread of
// its own.
#pragma once

#include <cstdint>
#include <string>

struct SmsModemPort {
    std::string sDevice; // "/dev/ttyUSB2"
    std::string sName;   // how the user knows it ("COM4"); sDevice when ""
    uint32_t nBaud = 115200;
    uint32_t nAnswerMs = 5000; // for each command's answer
    uint32_t nSendMs = 60000;  // for the network to take the message
};

// Sends text (already made with ToSmsText: it holds no control character)
// to recipient (as SmsRecipient gives it). "" when the modem took it, else
// what went wrong, naming the port ("COM4 (/dev/ttyUSB2): the modem answered
// +CMS ERROR: 500 to the message").
std::string SendTextMessage(const SmsModemPort& port, const std::string& recipient,
                            const std::string& text);
