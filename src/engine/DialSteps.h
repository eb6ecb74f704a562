// The pure steps of dialling out: preparing the number and reading the result.
#pragma once

#include <string>
#include <string_view>

// Letters on a telephone keypad: A-C 2, D-F 3, G-I 4, J-L 5, M-O 6, P-S 7,
// T-V 8, W-Z 9. Upper-case letters only; everything else stays.
std::string AlphaToKeypad(std::string_view number);

struct DialPrepSettings {
    bool bCompatibleDial = false;
    bool fKestrixCustomization = false;
    bool bAlphaConvert = true;
};

// The longest dial string we hand to the modem.
constexpr size_t kMaxDialNumber = 80;

// The number as it is dialled: control characters dropped (a CR would end the
// command line and start another), cut to kMaxDialNumber, trailing ";"
// removed, one ";" added to stay in command mode when the modem dials that
// way, letters converted when asked.
std::string PrepareDialNumber(std::string_view number, const DialPrepSettings& s);

// What a dial result means.
struct DialResultInfo {
    int result;
    int textId;
    bool bConnected;
    bool bRaiseStop; // the call is given up: raise the driver's stop request
};
const DialResultInfo& LookupDialResult(int result);

// The status text after dialling: "Result - Busy".
std::string DialStatusText(int result);

// The caller text of a call we dialled: "Originated: <number>".
std::string OriginatedText(std::string_view number);
