// Voice data from the line is chosen by whoever calls: every decoder takes it.
// The first byte picks the codec (and bit depth), the rest is the stream,
// fed in blocks of varying size.
#include "audio/Cacm.h"
#include "audio/VoiceCodec.h"

#include <cstdint>
#include <vector>

namespace {

struct Choice {
    int id;
    int bits;
};
constexpr Choice kChoices[] = {{4, 2},   {4, 3},    {4, 4},    {5, 4},   {8, 8},   {9, 8},
                               {16, 16}, {41, 4},   {128, 2},  {129, 3}, {129, 4}, {129, 5},
                               {130, 4}, {1130, 4}, {2130, 8}, {2131, 8}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const Choice& c = kChoices[data[0] % (sizeof kChoices / sizeof kChoices[0])];
    size_t block = 1 + data[1] % 97;
    data += 2;
    size -= 2;

    CLevelNormalizer agc;
    VoiceCodecSettings s;
    s.nCompression = c.id;
    s.nCompressionBS = c.bits;
    CVoiceCodec codec;
    if (!OpenVoiceCodec(codec, -1, s, &agc))
        return 0;
    std::vector<int16_t> out;
    for (size_t i = 0; i < size; i += block) {
        size_t n = std::min(block, size - i);
        out.assign(codec.DecodedBound(n) + 8, 0);
        size_t m = DecodeVoiceBlock(codec, data + i, n, out.data(), out.size());
        if (m > out.size())
            __builtin_trap();
    }
    // And the encoder on the same bytes taken as samples.
    std::vector<int16_t> pcm(size / 2);
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<int16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    std::vector<uint8_t> bytes(codec.EncodedBound(pcm.size()));
    EncodeVoiceBlock(codec, pcm.data(), pcm.size(), bytes.data(), bytes.size());

    // GSM in WAV blocks.
    Cacm acm;
    if (acm.Open(kWaveFormatGsm610, kWaveFormatPcm)) {
        std::vector<int16_t> wavPcm;
        acm.ConvertToPcm(data, size, wavPcm);
    }
    return 0;
}
