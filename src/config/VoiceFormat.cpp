#include "config/VoiceFormat.h"

#include "config/ModemProfile.h"

#include <algorithm>

namespace {

using P = CModemProfile;
using C = VoiceCoding;
constexpr BitsCommand kBits = BitsCommand::Bits;
constexpr BitsCommand kFourAndRate = BitsCommand::FourAndRate;

// id, name, coding, fixed bits, min, max, default, line bits, frame samples,
// frame bytes, select command, bits command
constexpr VoiceFormat kFormats[] = {
    {4, "predictive ADPCM", C::Predictive, 0, 2, 4, 4, 0, 0, 0, &P::sVoiceCompressADPCM, kBits},
    {5, "DigiSpeech ADPCM", C::DigiSpeech, 4, 4, 4, 4, 4, 0, 0, &P::sVoiceCompressADPCM, kFourAndRate},
    {8, "8-bit unsigned PCM", C::Unsigned8, 8, 8, 8, 8, 8, 0, 0, &P::sVoiceCompressPCM8U, kBits},
    {9, "8-bit signed PCM", C::Signed8, 8, 8, 8, 8, 8, 0, 0, &P::sVoiceCompressPCM8L, kBits},
    {16, "16-bit PCM", C::Linear16, 16, 16, 16, 16, 16, 0, 0, &P::sVoiceCompressPCM16, kBits},
    {41, "ZyXEL ADPCM", C::Zyxel, 4, 4, 4, 4, 4, 0, 0, &P::sVoiceCompressADPCM, kFourAndRate},
    // GSM's "2" is the value its modems expect in the bits setting.
    {128, "GSM 06.10", C::Gsm, 2, 2, 2, 2, 0, 160, 33, &P::sVoiceCompressGSM, BitsCommand::None},
    {129, "G.726 ADPCM", C::G726, 0, 3, 5, 4, 0, 0, 0, &P::sVoiceCompressADPCM, kBits},
    {130, "IMA ADPCM (low nibble first)", C::ImaLowFirst, 4, 4, 4, 4, 4, 0, 0,
     &P::sVoiceCompressIMA, kBits},
    {1130, "IMA ADPCM (high nibble first)", C::ImaHighFirst, 4, 4, 4, 4, 4, 0, 0,
     &P::sVoiceCompressIMA, kBits},
    {2130, "G.711 A-law", C::ALaw, 0, 1, 16, 8, 8, 0, 0, &P::sVoiceCompressALAW, kBits},
    {2131, "G.711 mu-law", C::MuLaw, 0, 1, 16, 8, 8, 0, 0, &P::sVoiceCompressULAW, kBits},
};

} // namespace

std::span<const VoiceFormat> VoiceFormats() {
    return kFormats;
}

const VoiceFormat* FindVoiceFormat(int id) {
    for (const VoiceFormat& f : kFormats)
        if (f.nId == id)
            return &f;
    return nullptr;
}

int FormatBits(const VoiceFormat& format, int bits) {
    return format.nFixedBits != 0 ? format.nFixedBits : bits;
}

bool FormatTakesBits(const VoiceFormat& format, int bits) {
    return bits >= format.nMinBits && bits <= format.nMaxBits;
}

size_t FormatBytes(const VoiceFormat& format, int bits, size_t samples) {
    if (format.nFrameSamples != 0)
        return samples / format.nFrameSamples * format.nFrameBytes;
    size_t lineBits = static_cast<size_t>(format.nLineBits != 0 ? format.nLineBits
                                                                 : std::clamp(bits, 1, 16));
    return (samples * lineBits + 7) / 8;
}

bool TakesBitsCommand(int id) {
    const VoiceFormat* f = FindVoiceFormat(id);
    return !f || f->bitsCommand != BitsCommand::None;
}

std::string VoiceDataFile(const std::string& stem, int id, int bits, int rate) {
    const VoiceFormat* f = FindVoiceFormat(id);
    const int b = f ? FormatBits(*f, bits) : bits;
    return stem + "." + std::to_string(id) + "-" + std::to_string(b) + "-" + std::to_string(rate);
}
