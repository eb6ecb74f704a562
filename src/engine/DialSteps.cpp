#include "engine/DialSteps.h"

#include "engine/CallerText.h"
#include "modem/ResultCodes.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"

namespace {

constexpr DialResultInfo kDialResults[] = {
    {kResultOk, 57847, true, false},        {kResultVcon, 57848, true, false},
    {kResultConnect, 57849, true, false},   {kResultBusy, 57850, false, true},
    {kResultVoice, 57851, true, false},     {kResultRinging, 57856, true, false},
    {kResultError, 57852, false, true},     {kResultNoAnswer, 57853, false, true},
    {kResultNoCarrier, 57854, false, true}, {kResultNoDialTone, 57855, false, true},
};
constexpr DialResultInfo kUnknownResult = {0, 57857, false, false};

constexpr int kIdResultPrefix = 57846;
constexpr int kIdOriginated = 57906;

char KeypadDigit(char c) {
    static constexpr char kKeys[] = "22233344455566677778889999"; // A..Z
    return c >= 'A' && c <= 'Z' ? kKeys[c - 'A'] : c;
}

} // namespace

std::string AlphaToKeypad(std::string_view number) {
    std::string out(number);
    for (char& c : out)
        c = KeypadDigit(c);
    return out;
}

std::string PrepareDialNumber(std::string_view number, const DialPrepSettings& s) {
    std::string n;
    for (char c : number) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F && n.size() < kMaxDialNumber)
            n += c;
    }
    while (!n.empty() && n.back() == ';')
        n.pop_back();
    if (s.bCompatibleDial || s.fKestrixCustomization)
        n += ';';
    if (s.bAlphaConvert)
        n = AlphaToKeypad(n);
    return n;
}

const DialResultInfo& LookupDialResult(int result) {
    for (const DialResultInfo& r : kDialResults)
        if (r.result == result)
            return r;
    return kUnknownResult;
}

std::string DialStatusText(int result) {
    return StrPrintf("%s %s", LoadStr(kIdResultPrefix), LoadStr(LookupDialResult(result).textId));
}

std::string OriginatedText(std::string_view number) {
    // The number is the user's or the control block's: clean it like caller data.
    return StrPrintf(LoadStr(kIdOriginated), SanitizeCallerText(number).c_str());
}
