#include "engine/KeyTables.h"

#include "engine/CallState.h"
#include "modem/DleCodes.h"
#include "platform/PrivateKeys.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"

namespace {

struct EventText {
    char ch;
    int stringId;
};

// Events with a text of their own; keys and anything else are named with
// their character.
constexpr EventText kEventTexts[] = {
    {'b', 57761},               // busy tone
    {'c', 57948},               // calling tone (fax)
    {'d', 57762},               // dial tone
    {'h', 57949},               // handset
    {'H', 57949}, {'q', 57926}, // quiet: some voice received
    {'s', 57925},               // silence: no valid voice
    {'Z', 57785},               // bad frame in the compressed stream
};

constexpr int kIdEventFormat = 57760;
constexpr int kIdToneKey = 57865;
constexpr int kIdSignal = 57763;

} // namespace

int DtmfSlot(int ch) {
    return ch >= 0 && ch <= 0xFF ? DtmfIndexOf(static_cast<char>(ch)) : -1;
}

bool IsToneKey(int ch) {
    return DtmfSlot(ch) >= 0;
}

KeyAction LookupKeyAction(int ch, const DtmfTable& table) {
    KeyAction a;
    int slot = DtmfSlot(ch);
    if (slot < 0)
        return a;
    a.bKey = true;
    a.nAction = static_cast<size_t>(slot) < table.size() ? table[static_cast<size_t>(slot)] : 0;
    a.bRuns = a.nAction < kFirstNonAction;
    return a;
}

std::string EventStatusText(int ch) {
    std::string text;
    for (const EventText& e : kEventTexts)
        if (e.ch == ch)
            text = LoadStr(e.stringId);
    if (text.empty()) {
        // A stranger's byte is shown as "?" unless it is printable; no key
        // is named while keys are private.
        text = StrPrintf("%s '%c'", LoadStr(IsToneKey(ch) ? kIdToneKey : kIdSignal), ShownKey(ch));
    }
    return StrPrintf(LoadStr(kIdEventFormat), text.c_str());
}

LineKeyReaction ReactToLineKey(int ch, bool bRecordImmediately, bool bEnhancedHold, bool bLineBusy,
                               bool bDetectEvents, bool bRecording) {
    if (bRecordImmediately)
        return bEnhancedHold && (!bLineBusy || bDetectEvents) ? LineKeyReaction::Dispatch
                                                              : LineKeyReaction::Nothing;
    if (ch == '#')
        return bRecording ? LineKeyReaction::StopCall : LineKeyReaction::RequestAnswer;
    if (ch == '*')
        return bRecording ? LineKeyReaction::StopCall : LineKeyReaction::RequestRecord;
    return LineKeyReaction::Nothing;
}
