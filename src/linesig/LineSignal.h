// What the line signal detector reports: one event per signal heard.
#pragma once

#include <cstdint>
#include <string>

enum class LineSignalKind {
    Key,            // a touch-tone key, once per press
    FaxCallingTone, // CNG, 1100 Hz
    DialTone,
    BusyTone,
    CallerIdMessage, // FSK caller ID: the raw message bytes
    CallerIdDigits,  // caller ID sent as touch-tone keys
};

struct LineSignal {
    LineSignalKind kind = LineSignalKind::Key;
    // Key: '0'-'9', '*', '#' or 'A'-'D'.
    char cKey = 0;
    // CallerIdMessage: message type, message length and parameters, as the
    // exchange sent them (the checksum checked and left off); what
    // Etsi::Parse reads. CallerIdDigits: the keys from the start marker
    // ('A', 'B' or 'D') up to the end marker ('C' or '#'), both included.
    // DialTone and BusyTone: the name of the tone table's row that heard it
    // first (rows of neighbouring frequencies and the same cadence hear the
    // same tone, so it names the kind of tone more surely than the country).
    std::string sData;
    // Where the signal was recognised: samples fed since the detector was
    // made or reset.
    int64_t nAtSample = 0;
};

// A short name for logs: "key", "fax calling tone", "dial tone" ...
const char* LineSignalKindName(LineSignalKind kind);
