// The codec dispatcher and the modem codecs: round trips, the edge cases of
// each format, block boundaries and bounded output.
#include "AudioTestUtil.h"

#include "audio/AudioLog.h"
#include "audio/PredictiveAdpcm.h"
#include "audio/VoiceCodec.h"
#include "audio/ZyxelAdpcm.h"
#include "config/VoiceFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

struct CodecCase {
    int id;
    int bits;
    double minSnrDb;  // speech round trip, after the best gain
    double toneLevel; // amplitude of the test tone the codec takes cleanly
};

// The floors sit a few dB under what each coder achieves on the speech
// sample, so a broken predictor or table shows at once.
const CodecCase kCases[] = {
    {4, 2, 7, 8000},    {4, 3, 13, 8000},    {4, 4, 19, 8000},    {5, 4, 15, 8000},
    {8, 8, 22, 8000},   {9, 8, 22, 8000},    {16, 16, 90, 8000},  {41, 4, 11, 8000},
    {128, 2, 6, 8000},  {129, 3, 12, 8000},  {129, 4, 17, 8000},  {129, 5, 23, 8000},
    {130, 4, 15, 8000}, {1130, 4, 15, 8000}, {2130, 8, 34, 8000}, {2131, 8, 34, 8000},
};

std::string Name(const CodecCase& c) {
    return "id" + std::to_string(c.id) + "_" + std::to_string(c.bits) + "bit";
}

VoiceCodecSettings Settings(int id, int bits) {
    VoiceCodecSettings s;
    s.nCompression = id;
    s.nCompressionBS = bits;
    s.nCompressionSampleRate = 8000;
    s.bSoftAGC = false;
    return s;
}

std::vector<uint8_t> EncodeAll(int id, int bits, const std::vector<int16_t>& in, size_t blockSize) {
    CVoiceCodec codec;
    EXPECT_TRUE(OpenVoiceCodec(codec, id, Settings(id, bits)));
    std::vector<uint8_t> out;
    for (size_t i = 0; i < in.size(); i += blockSize) {
        size_t n = std::min(blockSize, in.size() - i);
        std::vector<uint8_t> buf(codec.EncodedBound(n));
        buf.resize(EncodeVoiceBlock(codec, in.data() + i, n, buf.data(), buf.size()));
        out.insert(out.end(), buf.begin(), buf.end());
    }
    return out;
}

std::vector<int16_t> DecodeAll(int id, int bits, const std::vector<uint8_t>& in, size_t blockSize) {
    CVoiceCodec codec;
    EXPECT_TRUE(OpenVoiceCodec(codec, id, Settings(id, bits)));
    if (id == 128)
        blockSize = blockSize / 33 * 33; // GSM decodes whole frames of each block
    std::vector<int16_t> out;
    for (size_t i = 0; i < in.size(); i += blockSize) {
        size_t n = std::min(blockSize, in.size() - i);
        std::vector<int16_t> buf(codec.DecodedBound(n));
        buf.resize(DecodeVoiceBlock(codec, in.data() + i, n, buf.data(), buf.size()));
        out.insert(out.end(), buf.begin(), buf.end());
    }
    return out;
}

class EveryCodec : public ::testing::TestWithParam<CodecCase> {};

} // namespace

TEST_P(EveryCodec, SpeechSurvivesARoundTrip) {
    const CodecCase& c = GetParam();
    std::vector<int16_t> speech = SpeechSample();
    speech.resize(speech.size() / 320 * 320);
    const std::vector<int16_t>& in = speech;
    std::vector<int16_t> out = DecodeAll(c.id, c.bits, EncodeAll(c.id, c.bits, in, 320), 4096);
    EXPECT_GE(out.size(), in.size());
    double snr = SnrDb(in, out, 2);
    EXPECT_GE(snr, c.minSnrDb) << Name(c);
    RecordProperty("snr_db", std::to_string(snr));
}

TEST_P(EveryCodec, ToneOfOneKilohertzComesBackAsOneKilohertz) {
    const CodecCase& c = GetParam();
    std::vector<int16_t> tone = SineWave(1000, c.toneLevel, 8000);
    std::vector<int16_t> out = DecodeAll(c.id, c.bits, EncodeAll(c.id, c.bits, tone, 800), 1000);
    ASSERT_GE(out.size(), 7000u);
    // Skip the coders' start-up, then most of the power must sit at 1 kHz.
    std::vector<int16_t> steady(out.begin() + 1600, out.begin() + 7000);
    EXPECT_GT(ToneShare(steady, 1000), 0.8) << Name(c);
    EXPECT_LT(ToneShare(steady, 1500), 0.05) << Name(c);
}

TEST_P(EveryCodec, BlockBoundariesDoNotChangeTheStream) {
    // The engine hands over blocks of whatever size the line delivers; a
    // stream cut into blocks of whole frames must code exactly as in one go.
    const CodecCase& c = GetParam();
    std::vector<int16_t> speech = SpeechSample();
    speech.resize(6400);
    std::vector<uint8_t> whole = EncodeAll(c.id, c.bits, speech, speech.size());
    EXPECT_EQ(EncodeAll(c.id, c.bits, speech, 320), whole) << Name(c);
    // Decoding may be fed any split of the bytes, odd ones included, except
    // GSM, which takes whole frames per block.
    size_t split = c.id == 128 ? 33 * 7 : 331;
    EXPECT_EQ(DecodeAll(c.id, c.bits, whole, split), DecodeAll(c.id, c.bits, whole, whole.size()))
        << Name(c);
}

TEST_P(EveryCodec, OutputNeverExceedsTheCapacityGiven) {
    const CodecCase& c = GetParam();
    std::vector<int16_t> speech = SpeechSample();
    speech.resize(3200);
    CVoiceCodec codec;
    ASSERT_TRUE(OpenVoiceCodec(codec, c.id, Settings(c.id, c.bits)));
    std::vector<uint8_t> bytes(1000 + 64, 0xEE);
    size_t n = EncodeVoiceBlock(codec, speech.data(), speech.size(), bytes.data(), 1000);
    EXPECT_LE(n, 1000u);
    for (size_t i = 1000; i < bytes.size(); ++i)
        ASSERT_EQ(bytes[i], 0xEE);
    std::vector<int16_t> samples(500 + 64, 0x5A5A);
    size_t m = DecodeVoiceBlock(codec, bytes.data(), n, samples.data(), 500);
    EXPECT_LE(m, 500u);
    for (size_t i = 500; i < samples.size(); ++i)
        ASSERT_EQ(samples[i], 0x5A5A);
}

INSTANTIATE_TEST_SUITE_P(Codecs, EveryCodec, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return Name(info.param); });

TEST(VoiceCodec, BitsAreForcedByTheId) {
    EXPECT_EQ(NormalizeCompressionBits(128, 4), 2);
    for (int id : {5, 41, 130, 1130})
        EXPECT_EQ(NormalizeCompressionBits(id, 3), 4);
    EXPECT_EQ(NormalizeCompressionBits(8, 4), 8);
    EXPECT_EQ(NormalizeCompressionBits(9, 4), 8);
    EXPECT_EQ(NormalizeCompressionBits(16, 4), 16);
    for (int id : {4, 129, 2130, 2131, 77})
        EXPECT_EQ(NormalizeCompressionBits(id, 3), 3);
    VoiceCodecSettings s;
    s.nCompression = 128;
    NormalizeCompressionBits(s);
    EXPECT_EQ(s.nCompressionBS, 2);
}

TEST(VoiceCodec, EveryFormatCodesAsManyBytesAsTheTableSays) {
    // The engine sizes its line blocks from the table; a coder that wrote
    // more would overrun them, one that wrote less would starve the line.
    std::vector<int16_t> speech = SpeechSample();
    speech.resize(320);
    for (const VoiceFormat& f : VoiceFormats()) {
        for (int bits = f.nMinBits; bits <= f.nMaxBits; ++bits) {
            if (f.nFixedBits == 0 && f.nLineBits != 0 && bits != f.nDefaultBits)
                continue; // G.711 sends a byte per sample whatever the bits
            SCOPED_TRACE(std::string(f.szName) + " bits " + std::to_string(bits));
            std::vector<uint8_t> bytes = EncodeAll(f.nId, bits, speech, speech.size());
            EXPECT_EQ(bytes.size(), FormatBytes(f, FormatBits(f, bits), speech.size()));
            EXPECT_EQ(DecodeAll(f.nId, bits, bytes, bytes.size()).size(), speech.size());
        }
    }
}

TEST(ZyxelAdpcm, ARoundTripKeepsTheLevelOfLoudSpeech) {
    // A greeting peaking near full scale must reach the line as loud as it
    // is, not four times louder and clipped.
    std::vector<int16_t> speech = SpeechSample();
    int peak = 1;
    for (int16_t v : speech)
        peak = std::max(peak, std::abs(static_cast<int>(v)));
    for (int16_t& v : speech)
        v = static_cast<int16_t>(v * 32000 / peak);
    std::vector<int16_t> out = DecodeAll(41, 4, EncodeAll(41, 4, speech, 320), 4096);
    ASSERT_GE(out.size(), speech.size());
    double in2 = 0, out2 = 0;
    size_t clipped = 0;
    for (size_t i = 0; i < speech.size(); ++i) {
        in2 += double(speech[i]) * speech[i];
        out2 += double(out[i]) * out[i];
        clipped += out[i] >= 32764 || out[i] <= -32768;
    }
    EXPECT_NEAR(std::sqrt(out2 / in2), 1.0, 0.1);
    EXPECT_LT(clipped, speech.size() / 1000);
}

TEST(VoiceCodec, UnsupportedBitDepthsFailAndUnknownIdsConvertNothing) {
    CVoiceCodec codec;
    for (int bits : {2, 6, 8})
        EXPECT_FALSE(OpenVoiceCodec(codec, 129, Settings(129, bits))) << bits;
    for (int bits : {1, 5, 8})
        EXPECT_FALSE(OpenVoiceCodec(codec, 4, Settings(4, bits))) << bits;

    ASSERT_TRUE(OpenVoiceCodec(codec, 77, Settings(77, 4)));
    int16_t samples[16] = {1, 2, 3};
    uint8_t bytes[16] = {1, 2, 3};
    size_t produced = 99;
    EXPECT_EQ(EncodeVoiceBlock(codec, samples, 16, bytes, 16, &produced), 0u);
    EXPECT_EQ(produced, 0u);
    EXPECT_EQ(DecodeVoiceBlock(codec, bytes, 16, samples, 16), 0u);
    CloseVoiceCodec(codec);
    EXPECT_FALSE(codec.IsOpen());
    EXPECT_EQ(EncodeVoiceBlock(codec, samples, 16, bytes, 16), 0u);
}

TEST(VoiceCodec, NegativeIdTakesTheConfiguredCompression) {
    CVoiceCodec codec;
    VoiceCodecSettings s = Settings(2131, 8);
    ASSERT_TRUE(OpenVoiceCodec(codec, -1, s));
    EXPECT_EQ(codec.Id(), 2131);
}

TEST(VoiceCodec, LinearFormatsMapZeroAndSignsAsModemsExpect) {
    CVoiceCodec codec;
    ASSERT_TRUE(OpenVoiceCodec(codec, 8, Settings(8, 8)));
    int16_t in[3] = {0, 32767, -32768};
    uint8_t out[3];
    EncodeVoiceBlock(codec, in, 3, out, 3);
    EXPECT_EQ(out[0], 128);
    EXPECT_EQ(out[1], 255);
    EXPECT_EQ(out[2], 0);
    int16_t back[3];
    uint8_t b128 = 128;
    DecodeVoiceBlock(codec, &b128, 1, back, 3);
    EXPECT_EQ(back[0], 0);

    ASSERT_TRUE(OpenVoiceCodec(codec, 9, Settings(9, 8)));
    uint8_t neg = 0xFF;
    DecodeVoiceBlock(codec, &neg, 1, back, 3);
    EXPECT_EQ(back[0], -256);

    // 16-bit: low byte first; an odd trailing byte waits for its partner.
    ASSERT_TRUE(OpenVoiceCodec(codec, 16, Settings(16, 16)));
    uint8_t le[3] = {0x34, 0x12, 0xCD};
    EXPECT_EQ(DecodeVoiceBlock(codec, le, 3, back, 3), 1u);
    EXPECT_EQ(back[0], 0x1234);
    uint8_t rest = 0xAB;
    EXPECT_EQ(DecodeVoiceBlock(codec, &rest, 1, back, 3), 1u);
    EXPECT_EQ(static_cast<uint16_t>(back[0]), 0xABCD);
}

TEST(VoiceCodec, GsmCodesWholeFramesOnlyAndLogsBadFrames) {
    std::vector<std::string> log;
    SetAudioLogSink([&](const std::string& line, AudioLogKind kind) {
        if (kind == AudioLogKind::Error)
            log.push_back(line);
    });
    CVoiceCodec codec;
    ASSERT_TRUE(OpenVoiceCodec(codec, 128, Settings(128, 4)));
    std::vector<int16_t> in = SineWave(440, 5000, 300);
    std::vector<uint8_t> out(100);
    EXPECT_EQ(EncodeVoiceBlock(codec, in.data(), in.size(), out.data(), out.size()), 33u);

    // Frame 0 good, frame 1 with a signature nibble that stays wrong after
    // the 0xD0 is ORed in, frame 2 good with the nibble dropped (as modems do).
    std::vector<uint8_t> frames(out.begin(), out.begin() + 33);
    std::vector<uint8_t> bad = frames;
    bad[0] = static_cast<uint8_t>((bad[0] & 0x0F) | 0x20);
    std::vector<uint8_t> stripped = frames;
    stripped[0] &= 0x0F;
    frames.insert(frames.end(), bad.begin(), bad.end());
    frames.insert(frames.end(), stripped.begin(), stripped.end());
    frames.push_back(0x11); // a partial frame is ignored
    std::vector<int16_t> pcm(1000);
    EXPECT_EQ(DecodeVoiceBlock(codec, frames.data(), frames.size(), pcm.data(), pcm.size()), 320u);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].starts_with("GSM_bad_frame")) << log[0];
    SetAudioLogSink(nullptr);
}

TEST(VoiceCodec, SoftAgcLevelsDecodedBlocks) {
    CLevelNormalizer agc;
    VoiceCodecSettings s = Settings(16, 16);
    s.bSoftAGC = true;
    CVoiceCodec codec;
    ASSERT_TRUE(OpenVoiceCodec(codec, 16, s, &agc));
    std::vector<int16_t> quiet = SineWave(400, 4000, 800);
    std::vector<uint8_t> bytes(1600);
    EncodeVoiceBlock(codec, quiet.data(), quiet.size(), bytes.data(), bytes.size());
    std::vector<int16_t> out(800);
    DecodeVoiceBlock(codec, bytes.data(), bytes.size(), out.data(), out.size());
    int peak = 0;
    for (int16_t v : out)
        peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_GE(peak, 32000); // raised to full scale
    s.bSoftAGC = false;
    ASSERT_TRUE(OpenVoiceCodec(codec, 16, s, &agc));
    DecodeVoiceBlock(codec, bytes.data(), bytes.size(), out.data(), out.size());
    EXPECT_EQ(out, quiet);
}

TEST(ZyxelAdpcm, NeverSendsZeroAndAReceivedZeroRestartsTheStep) {
    CZyxelADPCM z;
    EXPECT_EQ(z.EncodeSample(0), 8); // equal to the prediction: 8, not 0
    CZyxelADPCM d;
    d.DecodeCode(7);
    d.DecodeCode(7);
    EXPECT_GT(d.DecoderStep(), 5);
    d.DecodeCode(0);
    // The 0 set the step to 4 before its own adaptation (multiplier 13654),
    // which would take it to 3; it never falls below 5.
    EXPECT_EQ(d.DecoderStep(), 5);
}

TEST(ZyxelAdpcm, DecodedSamplesAreMultiplesOfFourWithinRange) {
    std::mt19937 rng(3);
    CZyxelADPCM d;
    std::vector<uint8_t> bytes(20000);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(rng());
    // Long runs of the largest positive and negative codes drive it to the rails.
    bytes.insert(bytes.end(), 500, 0x77);
    bytes.insert(bytes.end(), 500, 0xFF);
    std::vector<int16_t> out(bytes.size() * 2);
    ASSERT_EQ(d.Decode(bytes.data(), bytes.size(), out.data(), out.size()), out.size());
    bool sawTop = false, sawBottom = false;
    for (int16_t s : out) {
        ASSERT_EQ(s % 4, 0);
        ASSERT_LE(s, 32764);
        sawTop |= s == 32764;
        sawBottom |= s == -32768;
    }
    EXPECT_TRUE(sawTop);
    EXPECT_TRUE(sawBottom);
}

TEST(ImaAdpcm, OddCountOnId1130PutsTheLastCodeAloneInAHighNibble) {
    CVoiceCodec codec;
    ASSERT_TRUE(OpenVoiceCodec(codec, 1130, Settings(1130, 4)));
    int16_t in[3] = {1000, 2000, 3000};
    uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_EQ(EncodeVoiceBlock(codec, in, 3, out, 4), 2u);
    EXPECT_EQ(out[1] & 0x0F, 0);
    EXPECT_NE(out[1] & 0xF0, 0);
    EXPECT_EQ(out[2], 0xEE);
}

TEST(PredictiveAdpcm, EscapeWordGivesSilenceAndRestartsTheCoder) {
    for (int bits = 2; bits <= 4; ++bits) {
        SCOPED_TRACE(bits);
        std::vector<int16_t> tone = SineWave(700, 6000, 160);
        CPredictiveAdpcm enc(bits);
        std::vector<uint8_t> stream(enc.EncodedBound(tone.size()));
        stream.resize(enc.Encode(tone.data(), tone.size(), stream.data()));
        ASSERT_EQ(stream.size() % 2, 0u);
        // Escape, N = 5, then the same speech again: after the reset it must
        // decode exactly as it did from a fresh coder.
        std::vector<uint8_t> withEscape = stream;
        uint16_t esc = enc.EscapeWord();
        withEscape.push_back(static_cast<uint8_t>(esc & 0xFF));
        withEscape.push_back(static_cast<uint8_t>(esc >> 8));
        withEscape.push_back(5);
        withEscape.push_back(0);
        withEscape.insert(withEscape.end(), stream.begin(), stream.end());

        CPredictiveAdpcm dec(bits);
        std::vector<int16_t> out(dec.DecodedBound(withEscape.size()) + 10);
        size_t n = dec.Decode(withEscape.data(), withEscape.size(), out.data(), out.size());
        size_t codes = stream.size() * 8 / bits;
        ASSERT_EQ(n, 2 * codes + 10);
        for (size_t i = 0; i < 10; ++i)
            EXPECT_EQ(out[codes + i], 0);
        for (size_t i = 0; i < codes; ++i)
            ASSERT_EQ(out[codes + 10 + i], out[i]) << i;
    }
}

TEST(PredictiveAdpcm, TwoTransfersAtOnceDoNotDisturbEachOther) {
    // A recording decoding while a greeting is encoded: interleaving the two
    // must give what each gives alone.
    std::vector<int16_t> speech = SpeechSample();
    speech.resize(8000);
    std::vector<uint8_t> alone = EncodeAll(4, 4, speech, 400);
    std::vector<int16_t> decodedAlone = DecodeAll(4, 4, alone, 200);

    CVoiceCodec play, record;
    ASSERT_TRUE(OpenVoiceCodec(play, 4, Settings(4, 4)));
    ASSERT_TRUE(OpenVoiceCodec(record, 4, Settings(4, 4)));
    std::vector<uint8_t> encoded;
    std::vector<int16_t> decoded;
    for (size_t i = 0; i < speech.size(); i += 400) {
        uint8_t buf[400];
        size_t n = EncodeVoiceBlock(play, speech.data() + i, 400, buf, sizeof buf);
        encoded.insert(encoded.end(), buf, buf + n);
        int16_t pcm[800];
        size_t m = DecodeVoiceBlock(record, alone.data() + i / 2, 200, pcm, 800);
        decoded.insert(decoded.end(), pcm, pcm + m);
    }
    EXPECT_EQ(encoded, alone);
    EXPECT_EQ(decoded, decodedAlone);
}
