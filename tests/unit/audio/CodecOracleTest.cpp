// The standard codecs against independent implementations: spandsp for
// G.711, G.726 and IMA ADPCM, libgsm's own toast/untoast for GSM 06.10.
#include "AudioTestUtil.h"
#include "TempHome.h"

#include "audio/G711.h"
#include "audio/G726.h"
#include "audio/ImaAdpcm.h"

#include <gtest/gtest.h>
#include <spandsp.h>

#include <cstring>
#include <random>

namespace {

// Speech, a loud tone burst that drives the coders into overload, and noise;
// a whole number of bytes at every bit depth.
std::vector<int16_t> TestSignal() {
    std::vector<int16_t> s = SpeechSample();
    std::vector<int16_t> loud = SineWave(1234, 32000, 4000);
    s.insert(s.end(), loud.begin(), loud.end());
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> noise(-32768, 32767);
    for (int i = 0; i < 4000; ++i)
        s.push_back(static_cast<int16_t>(noise(rng)));
    s.resize(s.size() / 8 * 8);
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

TEST(CodecOracle, G726CodesSamplesAndId129PackingMatchSpandsp) {
    const std::vector<int16_t> sig = TestSignal();
    const int n = static_cast<int>(sig.size());
    for (int bits = 3; bits <= 5; ++bits) {
        SCOPED_TRACE(bits);
        g726_state_t* enc =
            g726_init(nullptr, bits * 8000, G726_ENCODING_LINEAR, G726_PACKING_NONE);
        g726_state_t* dec =
            g726_init(nullptr, bits * 8000, G726_ENCODING_LINEAR, G726_PACKING_NONE);
        // spandsp's "right" packing is least significant bit first, as id 129.
        g726_state_t* packer =
            g726_init(nullptr, bits * 8000, G726_ENCODING_LINEAR, G726_PACKING_RIGHT);
        std::vector<uint8_t> codes(sig.size()), packed(sig.size());
        std::vector<int16_t> theirs(sig.size());
        g726_encode(enc, codes.data(), sig.data(), n);
        g726_decode(dec, theirs.data(), codes.data(), n);
        packed.resize(g726_encode(packer, packed.data(), sig.data(), n));
        for (g726_state_t* s : {enc, dec, packer})
            g726_free(s);

        CG726 encoder(bits), decoder(bits);
        for (size_t i = 0; i < sig.size(); ++i) {
            ASSERT_EQ(encoder.Encode(sig[i]), codes[i]) << "sample " << i;
            int16_t ours = decoder.Decode(codes[i]);
            // spandsp wraps a reconstruction past 16 bits around; ours
            // saturates. Everywhere else the two agree bit for bit.
            if (ours != 32767 && ours != -32768) {
                ASSERT_EQ(ours, theirs[i]) << "sample " << i;
            }
        }
        std::vector<uint8_t> ours = EncodeAll(129, bits, sig, sig.size());
        EXPECT_EQ(ours.size(), bits * sig.size() / 8);
        EXPECT_EQ(ours, packed);
    }
}

TEST(CodecOracle, ImaHighNibbleFirstMatchesSpandspDvi4) {
    const std::vector<int16_t> sig = TestSignal();
    ima_adpcm_state_t* enc = ima_adpcm_init(nullptr, IMA_ADPCM_DVI4, 0);
    std::vector<uint8_t> theirs(sig.size() / 2 + 4);
    int n = ima_adpcm_encode(enc, theirs.data(), sig.data(), static_cast<int>(sig.size()));
    ima_adpcm_free(enc);
    ASSERT_EQ(static_cast<size_t>(n), sig.size() / 2 + 4);
    // DVI4 starts each chunk with a 4-byte header (predictor and index, both
    // 0 here); the codes follow, first sample in the high nibble, as id 1130.
    std::vector<uint8_t> codes(theirs.begin() + 4, theirs.end());
    EXPECT_EQ(EncodeAll(1130, 4, sig, sig.size()), codes);

    ima_adpcm_state_t* dec = ima_adpcm_init(nullptr, IMA_ADPCM_DVI4, 0);
    std::vector<int16_t> decoded(sig.size());
    ima_adpcm_decode(dec, decoded.data(), theirs.data(), n);
    ima_adpcm_free(dec);
    EXPECT_EQ(DecodeAll(1130, 4, codes, codes.size()), decoded);
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
    std::vector<uint8_t> bytes = EncodeAll(130, 4, sig, sig.size());
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
    WriteBytes(home.File("speech.l"),
               std::string(reinterpret_cast<const char*>(sig.data()), sig.size() * 2));
    ProgramRun toast = RunProgram({"toast", "-l", "-c", home.File("speech.l")});
    ASSERT_EQ(toast.nExit, 0) << toast.err;
    ASSERT_EQ(toast.out.size(), sig.size() / 160 * 33);
    std::vector<uint8_t> frames(toast.out.begin(), toast.out.end());
    EXPECT_EQ(EncodeAll(128, 2, sig, sig.size()), frames);

    // And back: untoast's samples are ours.
    WriteBytes(home.File("speech.gsm"), toast.out);
    ProgramRun untoast = RunProgram({"untoast", "-l", "-c", home.File("speech.gsm")});
    ASSERT_EQ(untoast.nExit, 0) << untoast.err;
    std::vector<int16_t> decoded = DecodeAll(128, 2, frames, frames.size());
    ASSERT_EQ(decoded.size() * 2, untoast.out.size());
    EXPECT_EQ(0, std::memcmp(decoded.data(), untoast.out.data(), untoast.out.size()));
}
