// The tables of touch-tone keys and line events: which action a key runs,
// and what the status line says about the event that ended a playback.
#pragma once

#include "config/Settings.h"

#include <array>
#include <cstdint>
#include <string>

using DtmfTable = std::array<int, kDtmfCount>;

// True for the characters that are touch-tone keys: 0-9, A-D, "*", "#".
bool IsToneKey(int ch);
// The key's slot in the DTMF table: digits 0-9, A-D 10-13, "*" 14, "#" 15;
// -1 for any other character.
int DtmfSlot(int ch);

// What a touch-tone key asks the worker to do.
struct KeyAction {
    bool bKey = false;   // the character is a touch-tone key at all
    int32_t nAction = 0; // the table's code (0 when the slot is past the table)
    bool bRuns = false;  // codes of 1000 and more are not actions
};
KeyAction LookupKeyAction(int ch, const DtmfTable& table);

// The phone's status text for the event character that ended a playback:
// "Busy", "Dial Tone", "Tone Key '5'", "signal 'x'" ...
std::string EventStatusText(int ch);

// What a key or tone character from a telephony line or the adapter does.
enum class LineKeyReaction {
    Nothing,
    StopCall,      // as the UI's stop command
    RequestAnswer, // the answering machine (action 8, pending)
    RequestRecord, // a recording (action 1, pending)
    Dispatch,      // stop any audio, then handle it as a device event
};
// Without bRecordImmediately "#" and "*" stop a running recording
// (bRecording) or start the answering machine or a recording; with it, characters only count
// during the enhanced hold, while the line is quiet or events are wanted.
LineKeyReaction ReactToLineKey(int ch, bool bRecordImmediately, bool bEnhancedHold, bool bLineBusy,
                               bool bDetectEvents, bool bRecording);
