// The pure steps of recording from and playing to the modem: block sizes,
// time limits, the bad-frame rule, and replacing a recording by its
// compressed form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The modem compression id of GSM 06.10.
constexpr int kCompressionGsm = 128;
constexpr size_t kGsmFrameSamples = 160;
constexpr size_t kGsmFrameBytes = 33;

struct VoiceBlock {
    size_t samples = 0;
    size_t bytes = 0;
};

// The block a playback sends at a time, from nBlockTime and the modem's
// rate and bits: its samples, and bytes enough for their coded form with
// every byte shielded; for GSM a whole number of frames, at least one. Settings out
// of any sensible range (a block time of 0 would never move) are held to it.
VoiceBlock PlayBlockSize(int nBlockTime, int nRate, int nBits, int nCompression);

// Durations above this many ms mean "no limit"; this one itself is a limit.
constexpr uint64_t kNoLimitAboveMs = 10'000'000;
inline bool HasTimeLimit(uint64_t maxMs) {
    return maxMs <= kNoLimitAboveMs;
}

// Blocks that do not decode: each shows the bad-frame text; more than four in
// a row end the recording.
class CBadFrameCounter {
public:
    // Counts one block; true when the recording must stop.
    bool Count(bool bDecoded) {
        m_nInRow = bDecoded ? 0 : m_nInRow + 1;
        return m_nInRow > kMaxInRow;
    }
    int InRow() const { return m_nInRow; }
    static constexpr int kMaxInRow = 4;

private:
    int m_nInRow = 0;
};

// What the user is told of a recording a write error ended (nErrno from the
// failed write), nSeconds being what the file holds: "the disk is full: the
// recording was cut after 18 s".
std::string RecordingCutText(int nErrno, int nSeconds);

// Whether the answering machine may take a message: the folder's file
// system must hold nMinSeconds of sound at nBytesPerSecond. Unknown free
// space does not stop it.
struct MessageRoom {
    bool bEnough = true;
    int nFreeSeconds = 0;
};
MessageRoom RoomForMessages(const std::string& sFolder, int nMinSeconds,
                            uint32_t nBytesPerSecond);
// Why messages are not taken (or, bEnough, that they are again).
std::string MessageRoomText(const MessageRoom& room, const std::string& sFolder,
                            int nMinSeconds);

using ConvertFn = std::function<bool(const std::string& source, const std::string& target)>;
using RenameFn = std::function<bool(const std::string& from, const std::string& to)>;

// Replaces the PCM recording file by its compressed form: convert into
// "<file>.gsm", move the recording aside to "<file>.bak", move the ".gsm" into
// its place, delete the ".bak". Whatever fails, the recording survives under
// its own name (a failed last move puts the ".bak" back) and no ".gsm" stays.
// True when the file is now the compressed one.
bool CompressRecording(const std::string& file, const ConvertFn& convert,
                       const RenameFn& rename = {});
