// The external-control block: 65535 bytes that another program fills with a
// command code, two numbers and four strings before asking Vorella to act on
// it, and from which it reads the reply. Little-endian, at fixed offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace CommBlock {

inline constexpr size_t kSize = 65535;

inline constexpr size_t kCommandOffset = 0;
inline constexpr size_t kParam1Offset = 4;
inline constexpr size_t kParam2Offset = 8;

struct StringField {
    size_t offset;
    size_t size; // bytes in the block, the terminating zero included
};
inline constexpr StringField kName{12, 260};
inline constexpr StringField kNumber{272, 260};
inline constexpr StringField kText{532, 2048};
inline constexpr StringField kFile{2580, 260};

// Bytes at the start of the block that hold fields.
inline constexpr size_t kUsedSize = kFile.offset + kFile.size;
// The rest of the block: the diagnostics report of code 13, zero-terminated.
inline constexpr StringField kReport{kUsedSize, kSize - kUsedSize};

// The longest string each field holds.
constexpr size_t MaxChars(StringField f) {
    return f.size - 1;
}

} // namespace CommBlock

// The external-control command codes.
enum class CommCommand : int32_t {
    GetMonitoring = 0,
    SetMonitoring = 1,
    GetCallActive = 2,
    RecordOrStop = 3,
    GetCaller = 4,
    SetCaller = 5,
    GetFile = 6,
    PlayFile = 7,
    StopRecording = 8,
    SetFile = 9,
    Exit = 10,
    Dial = 11,
    DialAndSpeak = 12,
    // Parameter 1 != 0 starts a run. Answers in parameter 1 with a
    // DiagnosticsState (0 no open modem, 1 running, 2 done, 3 line busy)
    // and the report so far in CommBlock::kReport.
    Diagnostics = 13,
    // Talking at the PC on a telephony line. 14 answers the ringing call at
    // the PC; 15 takes the call in progress to it (parameter 1 != 0) or
    // ends talking and hangs up (parameter 1 == 0). Both answer in
    // parameter 2 with a TalkOutcome (0 done, 1 no such call, 2 the line
    // cannot talk at the PC).
    AnswerAtPc = 14,
    TalkAtPc = 15,
    // Call screening. 16 puts the number in string 2 ("" the last caller)
    // on a list: parameter 1 is 2 block, 1 permit, 0 neither. 17 switches
    // screening on (parameter 1 == 1), pauses it (2) or only asks (any other). Both
    // answer in parameter 2 (16: 1 done, 0 not; 17: 1 screening on, 0
    // paused) and with what was done, or why not, in string 3.
    PutOnList = 16,
    ScreeningSwitch = 17,
};

// The block's contents, decoded.
struct CommBlockData {
    int32_t nCommand = 0;
    int32_t nParam1 = 0;
    int32_t nParam2 = 0;
    std::string sName;   // string 1: caller name
    std::string sNumber; // string 2: caller number (the number to dial)
    std::string sText;   // string 3: caller text, or seconds for code 12
    std::string sFile;   // string 4: file name
};

// Decodes the first CommBlock::kUsedSize bytes of block. Each string is taken
// up to its terminating zero but never past its field: one that fills its
// field without a zero is cut at the field's end.
CommBlockData DecodeCommBlock(const uint8_t* block);

// Writes data into the first CommBlock::kUsedSize bytes of block. Strings too
// long for their field are cut (on a character boundary) to leave room for the
// zero; the rest of each field is zero-filled.
void EncodeCommBlock(const CommBlockData& data, uint8_t* block);

// True when every string of data fits its field.
bool CommBlockFits(const CommBlockData& data);
