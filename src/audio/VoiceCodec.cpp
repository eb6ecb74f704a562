#include "audio/VoiceCodec.h"

#include "audio/DigiSpeech.h"
#include "audio/G726.h"
#include "audio/GsmCoder.h"
#include "audio/ImaAdpcm.h"
#include "audio/LinearCoders.h"
#include "audio/PredictiveAdpcm.h"
#include "audio/ZyxelAdpcm.h"
#include "config/VoiceFormat.h"

#include <algorithm>
#include <new>

namespace {

// What an unknown id gets: a coder that converts nothing, so the call engine
// records an empty file rather than garbage.
class CNullCoder : public CVoiceCoder {
public:
    size_t EncodedBound(size_t) const override { return 0; }
    size_t DecodedBound(size_t) const override { return 0; }
    size_t Encode(const int16_t*, size_t, uint8_t*) override { return 0; }
    size_t Decode(const uint8_t*, size_t, int16_t*, size_t) override { return 0; }
};

// The largest n <= count whose bound fits in capacity (bounds grow with n).
template <typename Bound>
size_t FittingCount(size_t count, size_t capacity, Bound bound) {
    if (bound(count) <= capacity)
        return count;
    size_t lo = 0;
    size_t hi = count;
    while (lo + 1 < hi) {
        size_t mid = lo + (hi - lo) / 2;
        if (bound(mid) <= capacity)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

} // namespace

bool IsKnownCompression(int id) {
    return FindVoiceFormat(id) != nullptr;
}

int NormalizeCompressionBits(int id, int bits) {
    const VoiceFormat* f = FindVoiceFormat(id);
    return f ? FormatBits(*f, bits) : bits;
}

void NormalizeCompressionBits(VoiceCodecSettings& settings) {
    settings.nCompressionBS =
        NormalizeCompressionBits(settings.nCompression, settings.nCompressionBS);
}

std::unique_ptr<CVoiceCoder> MakeVoiceCoder(int id, int bits, int nSampleRate) {
    const VoiceFormat* f = FindVoiceFormat(id);
    if (!f)
        return std::make_unique<CNullCoder>();
    bits = FormatBits(*f, bits);
    if (!FormatTakesBits(*f, bits))
        return nullptr;
    switch (f->coding) {
    case VoiceCoding::Predictive:
        return std::make_unique<CPredictiveAdpcm>(bits);
    case VoiceCoding::DigiSpeech:
        return std::make_unique<CDigiSpeech>(nSampleRate);
    case VoiceCoding::Zyxel:
        return std::make_unique<CZyxelADPCM>();
    case VoiceCoding::Gsm: {
        auto gsm = std::make_unique<CGsmCoder>();
        if (!gsm->IsValid())
            return nullptr;
        return gsm;
    }
    case VoiceCoding::G726:
        return std::make_unique<CADPCM>(bits);
    case VoiceCoding::ImaLowFirst:
        return std::make_unique<CImaAdpcm>(true);
    case VoiceCoding::ImaHighFirst:
        return std::make_unique<CImaAdpcm>(false);
    case VoiceCoding::Unsigned8:
    case VoiceCoding::Signed8:
    case VoiceCoding::Linear16:
    case VoiceCoding::ALaw:
    case VoiceCoding::MuLaw:
        return MakeLinearCoder(f->coding);
    }
    return nullptr;
}

size_t CVoiceCodec::EncodedBound(size_t samples) const {
    return m_pCoder ? m_pCoder->EncodedBound(samples) : 0;
}

size_t CVoiceCodec::DecodedBound(size_t bytes) const {
    return m_pCoder ? m_pCoder->DecodedBound(bytes) : 0;
}

bool OpenVoiceCodec(CVoiceCodec& codec, int id, const VoiceCodecSettings& settings,
                    CLevelNormalizer* pNormalizer) {
    CloseVoiceCodec(codec);
    if (id < 0)
        id = settings.nCompression;
    int bits = NormalizeCompressionBits(id, settings.nCompressionBS);
    try {
        codec.m_pCoder = MakeVoiceCoder(id, bits, settings.nCompressionSampleRate);
    } catch (const std::bad_alloc&) {
        codec.m_pCoder.reset();
    }
    if (!codec.m_pCoder)
        return false;
    codec.m_nId = id;
    codec.m_nBits = bits;
    codec.m_bSoftAGC = settings.bSoftAGC;
    codec.m_pNormalizer = pNormalizer;
    return true;
}

size_t EncodeVoiceBlock(CVoiceCodec& codec, const int16_t* samples, size_t count, uint8_t* out,
                        size_t capacity, size_t* pProduced) {
    size_t produced = 0;
    if (codec.m_pCoder && samples && out) {
        CVoiceCoder& coder = *codec.m_pCoder;
        size_t n = FittingCount(count, capacity, [&](size_t k) { return coder.EncodedBound(k); });
        produced = coder.Encode(samples, n, out);
    }
    if (pProduced)
        *pProduced = produced;
    return produced;
}

size_t DecodeVoiceBlock(CVoiceCodec& codec, const uint8_t* bytes, size_t count, int16_t* out,
                        size_t capacity) {
    if (!codec.m_pCoder || !bytes || !out)
        return 0;
    CVoiceCoder& coder = *codec.m_pCoder;
    // Only as many bytes as fit are taken, so no code is decoded into nowhere.
    size_t in = FittingCount(count, capacity, [&](size_t k) { return coder.DecodedBound(k); });
    size_t n = coder.Decode(bytes, in, out, capacity);
    if (codec.m_bSoftAGC && codec.m_pNormalizer && n > 0)
        codec.m_pNormalizer->NormalizeLevel(out, n);
    return n;
}

void CloseVoiceCodec(CVoiceCodec& codec) {
    codec.m_pCoder.reset();
    codec.m_nId = 0;
    codec.m_nBits = 0;
    codec.m_pNormalizer = nullptr;
}
