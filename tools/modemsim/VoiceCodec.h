// The one place where the simulator turns samples into the modem's voice
// bytes and back. Every voice stream goes through Create(); adding a format
// means adding it here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace modemsim {

class VoiceCodec {
public:
    // nullptr when the simulator cannot code this compression id.
    static std::unique_ptr<VoiceCodec> Create(int compressionId);
    static bool Supports(int compressionId);
    virtual ~VoiceCodec() = default;

    // Samples per coding unit (160 for GSM); Encode takes whole units.
    virtual size_t FrameSamples() const { return 1; }
    // Bytes per coding unit on the line (33 for GSM).
    virtual size_t FrameBytes() const = 0;
    virtual void Encode(const int16_t* samples, size_t count, std::string& out) = 0;
    // Keeps a partial unit for the next call.
    virtual void Decode(const uint8_t* bytes, size_t count, std::vector<int16_t>& out) = 0;
};

} // namespace modemsim
