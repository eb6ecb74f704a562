// The one place where the simulator turns samples into the modem's voice
// bytes and back, for every compression id, through the program's codec
// library. The simulator works in blocks of 160 samples (20 ms at 8000 Hz,
// one GSM frame), which every format codes into whole bytes.
#pragma once

#include "audio/VoiceCoder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace modemsim {

constexpr size_t kBlockSamples = 160;

class VoiceCodec {
public:
    // nullptr when no codec exists for the id (or the bit depth does not fit
    // it). bits 0 means the id's usual depth.
    static std::unique_ptr<VoiceCodec> Create(int compressionId, int bits, int sampleRate);

    // Codes one block of kBlockSamples samples.
    void EncodeBlock(const int16_t* samples, std::string& out);
    // Decodes the whole blocks among the bytes so far; the rest waits.
    void Decode(const uint8_t* bytes, size_t count, std::vector<int16_t>& out);
    // Decodes what is left at the end of a stream.
    void Flush(std::vector<int16_t>& out);
    // Bytes one block takes on the line.
    size_t BlockBytes() const { return m_blockBytes; }

private:
    VoiceCodec(std::unique_ptr<CVoiceCoder> enc, std::unique_ptr<CVoiceCoder> dec,
               size_t blockBytes);
    void DecodeNow(const uint8_t* bytes, size_t count, std::vector<int16_t>& out);

    std::unique_ptr<CVoiceCoder> m_enc;
    std::unique_ptr<CVoiceCoder> m_dec;
    size_t m_blockBytes;
    std::string m_pending;
};

} // namespace modemsim
