// The voice codec dispatcher: converts blocks between 16-bit mono samples and
// the modem's voice format chosen by the compression id. The formats, their
// bits per sample and block sizes are those of the table in
// config/VoiceFormat.h; any other id converts nothing. One CVoiceCodec serves
// one transfer (a recording or a playback) from OpenVoiceCodec to
// CloseVoiceCodec; its coder state carries over from block to block and is
// never shared.
#pragma once

#include "audio/SilenceDetection.h"
#include "audio/VoiceCoder.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// The settings the codecs read; the caller fills them from its settings.
struct VoiceCodecSettings {
    int nCompression = 4;
    int nCompressionBS = 4;
    int nCompressionSampleRate = 7200;
    bool bSoftAGC = true;
};

class CVoiceCodec {
public:
    CVoiceCodec() = default;
    CVoiceCodec(const CVoiceCodec&) = delete;
    CVoiceCodec& operator=(const CVoiceCodec&) = delete;

    int Id() const { return m_nId; }
    int Bits() const { return m_nBits; }
    bool IsOpen() const { return m_pCoder != nullptr; }
    // Output room needed for a block of `samples` samples or `bytes` bytes.
    size_t EncodedBound(size_t samples) const;
    size_t DecodedBound(size_t bytes) const;

private:
    friend bool OpenVoiceCodec(CVoiceCodec&, int, const VoiceCodecSettings&, CLevelNormalizer*);
    friend size_t EncodeVoiceBlock(CVoiceCodec&, const int16_t*, size_t, uint8_t*, size_t, size_t*);
    friend size_t DecodeVoiceBlock(CVoiceCodec&, const uint8_t*, size_t, int16_t*, size_t);
    friend void CloseVoiceCodec(CVoiceCodec&);

    int m_nId = 0;
    int m_nBits = 0;
    bool m_bSoftAGC = false;
    CLevelNormalizer* m_pNormalizer = nullptr;
    std::unique_ptr<CVoiceCoder> m_pCoder;
};

// True when the id names a format of the table.
bool IsKnownCompression(int id);

// The bits per sample a compression id forces (the table's fixed bits: 128
// gives 2; 5, 41, 130 and 1130 give 4; 8 and 9 give 8; 16 gives 16); any
// other id keeps `bits`.
int NormalizeCompressionBits(int id, int bits);
// The same on the settings: nCompressionBS is forced for nCompression.
void NormalizeCompressionBits(VoiceCodecSettings& settings);

// Opens the codec for one transfer. A negative id stands for
// settings.nCompression. Fails for ids 4 and 129 with an unsupported bit depth
// (4 takes 2, 3 or 4 bits; 129 takes 3, 4 or 5) and for GSM when libgsm has
// no memory. An unknown id opens a codec that converts nothing. The
// normaliser, when given and settings.bSoftAGC is on, levels every decoded
// block; it must outlive the transfer.
bool OpenVoiceCodec(CVoiceCodec& codec, int id, const VoiceCodecSettings& settings,
                    CLevelNormalizer* pNormalizer = nullptr);

// Samples to the modem's bytes. Converts as many samples as fit in `capacity`
// bytes (all of them when capacity >= codec.EncodedBound(count)). Returns the
// bytes written, also through pProduced when given.
size_t EncodeVoiceBlock(CVoiceCodec& codec, const int16_t* samples, size_t count, uint8_t* out,
                        size_t capacity, size_t* pProduced = nullptr);

// The modem's bytes to samples; never writes more than `capacity` samples
// (give codec.DecodedBound(count) to convert the whole block). Returns the
// samples written.
size_t DecodeVoiceBlock(CVoiceCodec& codec, const uint8_t* bytes, size_t count, int16_t* out,
                        size_t capacity);

void CloseVoiceCodec(CVoiceCodec& codec);

// A coder for one id on its own, without the dispatcher (tools, tests).
std::unique_ptr<CVoiceCoder> MakeVoiceCoder(int id, int bits, int nSampleRate);
