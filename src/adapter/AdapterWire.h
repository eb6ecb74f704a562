// The line protocol between the program and the adapter simulator, over a
// Unix stream socket, one text line ("\n"-ended) per message:
//
//   program -> simulator   "open", "open-fallback", "close", "off-hook",
//                          "on-hook", "stop-play", "stop-record"
//                            each answered "= 1" (done) or "= 0" (failed)
//                          "play HEX"   sound played to the line
//   simulator -> program   "event CODE PARAM"   a short event
//                          "text CODE PARAM HEX" a text event (caller ID)
//                          "sound HEX"  sound the adapter hears on the line
//                          "= 0" / "= 1" the answer to the last request
//
// HEX is bytes in hexadecimal; sound is 16-bit little-endian samples at
// 8000 samples/s. A line longer than kMaxWireLine ends the connection:
// neither side lets the other make it buffer without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr size_t kMaxWireLine = 16384;
// Samples per "play" or "sound" line (a tenth of a second).
constexpr size_t kWireSoundChunk = 800;

struct WireMessage {
    enum class Kind { Request, Reply, Play, Event, Text, Sound };
    Kind kind = Kind::Request;
    std::string sOp;            // Request
    bool bOk = false;           // Reply
    int nCode = 0;              // Event, Text
    int nParam = 0;             // Event, Text
    std::string sBytes;         // Text
    std::vector<int16_t> sound; // Play, Sound
};

// The request names a layer operation goes by.
bool IsWireRequest(std::string_view op);

// One line, without its "\n"; nullopt for a line that is no message.
std::optional<WireMessage> ParseWireLine(std::string_view line);

std::string WireEvent(int code, int param);
std::string WireText(int code, int param, std::string_view bytes);
std::string WireSound(std::string_view keyword, const int16_t* samples, size_t count);
std::string WireReply(bool bOk);

// Collects bytes read from a socket into lines. False when a line grew past
// kMaxWireLine (the peer is babbling; drop it).
class CWireLineReader {
public:
    bool Add(const char* data, size_t count);
    std::optional<std::string> Next();

private:
    std::string m_buffer;
};

// Writes all of text to fd; false when the peer is gone.
bool WriteWire(int fd, std::string_view text);
