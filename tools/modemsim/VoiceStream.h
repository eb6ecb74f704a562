// The in-band coding of voice data on the serial line: DLE shielding both
// ways, and the GSM frame markers (FE FE, 33 bytes, 00 A5 A5) of the families
// that frame GSM.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace modemsim {

constexpr char kDle = 0x10;
constexpr char kEtx = 0x03;

// Appends data with every DLE doubled.
void AppendShielded(std::string& out, std::string_view data);
// Appends whole 33-byte GSM frames, each as FE FE, the shielded frame, 00 A5 A5.
// The markers themselves are not shielded.
void AppendGsmFramed(std::string& out, std::string_view frames);

// Splits the host's shielded transmit stream into data bytes and DLE codes.
class Unshielder {
public:
    enum class Kind { None, Data, Code };
    // Feeds one byte; returns what it completes (a data byte or a DLE code).
    Kind Feed(uint8_t byte, uint8_t& value);

private:
    bool m_dle = false;
};

// Recovers GSM frames from a framed stream, resynchronising on FE FE when a
// frame is damaged. Unframed bytes between frames are dropped.
class GsmDeframer {
public:
    // Appends every frame that byte completes to frames.
    void Feed(uint8_t byte, std::string& frames);
    int BadFrames() const { return m_bad; }

private:
    enum class State { Sync1, Sync2, Data, Trailer };
    State m_state = State::Sync1;
    std::string m_frame;
    int m_trailer = 0;
    int m_bad = 0;
};

} // namespace modemsim
