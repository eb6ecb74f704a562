// The standard codecs against independent implementations: spandsp for
// G.711, G.726 and IMA ADPCM, libgsm's own toast/untoast for GSM 06.10.
#include "AudioTestUtil.h"
#include "TempHome.h"

#include "audio/G711.h"
#include "audio/G726.h"
#include "audio/ImaAdpcm.h"
#include "audio/VoiceCodec.h"

#include <gtest/gtest.h>
#include <spandsp.h>

#include <cstring>
#include <random>

namespace {

// Speech, a loud tone burst that drives the coders into overload, and noise.
std::vector<int16_t> TestSignal() {
    std::vector<int16_t> s = SpeechSample();
    std::vector<int16_t> loud = SineWave(1234, 32000, 4000);
    s.insert(s.end(), loud.begin(), loud.end());
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> noise(-32768, 32767);
    for (int i = 0; i < 4000; ++i)
        s.push_back(static_cast<int16_t>(noise(rng)));
    return s;
}

} // namespace

TEST(CodecOracle, G711MatchesSpandspForEveryInput) {
    for (int x = -32768; x <= 32767; ++x) {
        ASSERT_EQ(LinearToAlaw(static_cast<int16_t>(x)), linear_to_alaw(x)) << x;
        ASSERT_EQ(LinearToUlaw(static_cast<int16_t>(x)), linear_to_ulaw(x)) << x;
    }
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(AlawToLinear(static_cast<uint8_t>(c)), alaw_to_linear(static_cast<uint8_t>(c)));
        EXPECT_EQ(UlawToLinear(static_cast<uint8_t>(c)), ulaw_to_linear(static_cast<uint8_t>(c)));
    }
}

TEST(CodecOracle, G726CodesAndSamplesMatchSpandsp) {
    std::vector<int16_t> sig = TestSignal();
    for (int bits = 3; bits <= 5; ++bits) {
        SCOPED_TRACE(bits);
        g726_state_t* enc =
            g726_init(nullptr, bits * 8000, G726_ENCODING_LINEAR, G726_PACKING_NONE);
        g726_state_t* dec =
            g726_init(nullptr, bits * 8000, G726_ENCODING_LINEAR, G726_PACKING_NONE);
        std::vector<uint8_t> codes(sig.size());
        std::vector<int16_t> theirs(sig.size());
        g726_encode(enc, codes.data(), sig.data(), static_cast<int>(sig.size()));
        g726_decode(dec, theirs.data(), codes.data(), static_cast<int>(codes.size()));
        g726_free(enc);
        g726_free(dec);

        CG726 encoder(bits), decoder(bits);
        for (size_t i = 0; i < sig.size(); ++i) {
            ASSERT_EQ(encoder.Encode(sig[i]), codes[i]) << "sample " << i;
            int16_t ours = decoder.Decode(codes[i]);
            // spandsp wraps a reconstruction past 16 bits around; ours
            // saturates. Everywhere else the two agree bit for bit.
            if (ours == 32767 || ours == -32768)
                continue;
            ASSERT_EQ(ours, theirs[i]) << "sample " << i;
        }
    }
}

TEST(CodecOracle, Id129PacksCodesLeastSignificantBitFirst) {
    std::vector<int16_t> sig = SpeechSample();
    sig.resize(sig.size() / 8 * 8); // whole bytes at every bit depth
    for (int bits = 3; bits <= 5; ++bits) {
        SCOPED_TRACE(bits);
        // spandsp's "right" packing is least significant bit first.
        g726_state_t* enc =
            g726_init(nullptr, bits * 8000, G726_ENCODING_LINEAR, G726_PACKING_RIGHT);
        std::vector<uint8_t> packed(sig.size());
        packed.resize(g726_encode(enc, packed.data(), sig.data(), static_cast<int>(sig.size())));
        g726_free(enc);
        VoiceCodecSettings cfg;
        cfg.nCompression = 129;
        cfg.nCompressionBS = bits;
        CVoiceCodec codec;
        ASSERT_TRUE(OpenVoiceCodec(codec, -1, cfg));
        std::vector<uint8_t> ours(codec.EncodedBound(sig.size()));
        size_t produced = 0;
        size_t n =
            EncodeVoiceBlock(codec, sig.data(), sig.size(), ours.data(), ours.size(), &produced);
        EXPECT_EQ(n, produced);
        EXPECT_EQ(n, bits * sig.size() / 8);
        ours.resize(n);
        EXPECT_EQ(ours, packed);
    }
}

TEST(CodecOracle, ImaHighNibbleFirstMatchesSpandspDvi4) {
    std::vector<int16_t> sig = TestSignal();
    sig.resize(sig.size() / 2 * 2);
    ima_adpcm_state_t* enc = ima_adpcm_init(nullptr, IMA_ADPCM_DVI4, 0);
    std::vector<uint8_t> theirs(sig.size() / 2 + 4);
    int n = ima_adpcm_encode(enc, theirs.data(), sig.data(), static_cast<int>(sig.size()));
    ima_adpcm_free(enc);
    ASSERT_EQ(static_cast<size_t>(n), sig.size() / 2 + 4);
    // DVI4 starts each chunk with a 4-byte header (predictor and index, both
    // 0 here); the codes follow, first sample in the high nibble, as id 1130.
    std::vector<uint8_t> codes(theirs.begin() + 4, theirs.end());

    VoiceCodecSettings cfg;
    cfg.nCompression = 1130;
    cfg.bSoftAGC = false;
    CVoiceCodec codec;
    ASSERT_TRUE(OpenVoiceCodec(codec, -1, cfg));
    std::vector<uint8_t> ours(codec.EncodedBound(sig.size()));
    ours.resize(EncodeVoiceBlock(codec, sig.data(), sig.size(), ours.data(), ours.size()));
    EXPECT_EQ(ours, codes);

    ima_adpcm_state_t* dec = ima_adpcm_init(nullptr, IMA_ADPCM_DVI4, 0);
    std::vector<int16_t> decoded(sig.size());
    ima_adpcm_decode(dec, decoded.data(), theirs.data(), n);
    ima_adpcm_free(dec);
    std::vector<int16_t> ourDecoded(sig.size());
    CVoiceCodec decoder;
    ASSERT_TRUE(OpenVoiceCodec(decoder, 1130, cfg));
    size_t m =
        DecodeVoiceBlock(decoder, codes.data(), codes.size(), ourDecoded.data(), ourDecoded.size());
    EXPECT_EQ(m, sig.size());
    EXPECT_EQ(ourDecoded, decoded);
}

TEST(CodecOracle, ImaLowNibbleFirstFollowsTheSameCoderAfterItsZeroStep) {
    // Id 130 starts with a step of 0, so its first code only moves the index;
    // after that it is the IMA coder, two codes a byte with the first low.
    std::vector<int16_t> sig = SpeechSample();
    CImaAdpcm reference(true);
    std::vector<int> codes;
    for (int16_t s : sig)
        codes.push_back(reference.EncodeSample(s));
    EXPECT_EQ(codes[0], sig[0] >= 0 ? 7 : 15);

    VoiceCodecSettings cfg;
    cfg.nCompression = 130;
    CVoiceCodec codec;
    ASSERT_TRUE(OpenVoiceCodec(codec, -1, cfg));
    std::vector<uint8_t> bytes(codec.EncodedBound(sig.size()));
    bytes.resize(EncodeVoiceBlock(codec, sig.data(), sig.size(), bytes.data(), bytes.size()));
    ASSERT_EQ(bytes.size(), sig.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_EQ(bytes[i] & 0x0F, codes[2 * i]);
        ASSERT_EQ(bytes[i] >> 4, codes[2 * i + 1]);
    }
}

TEST(CodecOracle, GsmFramesMatchToastBothWays) {
    TempHome home;
    std::vector<int16_t> sig = SpeechSample();
    sig.resize(sig.size() / 160 * 160);
    // toast wants host-order 16-bit linear in a ".l" file.
    std::string linear(reinterpret_cast<const char*>(sig.data()), sig.size() * 2);
    WriteBinaryFile(home.File("speech.l"), linear);
    std::string toastFrames;
    ASSERT_EQ(RunProgram({"toast", "-l", "-c", home.File("speech.l")}, &toastFrames), 0);
    ASSERT_EQ(toastFrames.size(), sig.size() / 160 * 33);

    VoiceCodecSettings cfg;
    cfg.nCompression = 128;
    cfg.bSoftAGC = false;
    CVoiceCodec codec;
    ASSERT_TRUE(OpenVoiceCodec(codec, -1, cfg));
    EXPECT_EQ(codec.Bits(), 2);
    std::string ours(codec.EncodedBound(sig.size()), '\0');
    size_t n = EncodeVoiceBlock(codec, sig.data(), sig.size(),
                                reinterpret_cast<uint8_t*>(ours.data()), ours.size());
    ours.resize(n);
    EXPECT_EQ(ours, toastFrames);

    // And back: untoast's samples are ours.
    WriteBinaryFile(home.File("speech.gsm"), toastFrames);
    std::string untoasted;
    ASSERT_EQ(RunProgram({"untoast", "-l", "-c", home.File("speech.gsm")}, &untoasted), 0);
    std::vector<int16_t> decoded(codec.DecodedBound(toastFrames.size()));
    size_t m = DecodeVoiceBlock(codec, reinterpret_cast<const uint8_t*>(toastFrames.data()),
                                toastFrames.size(), decoded.data(), decoded.size());
    ASSERT_EQ(m * 2, untoasted.size());
    EXPECT_EQ(0, std::memcmp(decoded.data(), untoasted.data(), untoasted.size()));
}
