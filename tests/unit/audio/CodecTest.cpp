// The codec dispatcher and the modem codecs: round trips, the edge cases of
// each format, block boundaries and bounded output. (vorella-tool's coding:
// the modem voice oracle's; ZyXEL ADPCM's level on the line: the shipped
// greeting's story.)
#include "AudioTestUtil.h"
#include "TempHome.h"

#include "audio/AudioLog.h"
#include "audio/PredictiveAdpcm.h"
#include "audio/ZyxelAdpcm.h"
#include "config/VoiceFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

class EveryCodec : public ::testing::TestWithParam<CodecCase> {};

} // namespace

TEST_P(EveryCodec, SpeechSurvivesARoundTrip) {
    const CodecCase& c = GetParam();
    std::vector<int16_t> speech = SpeechSample();
    speech.resize(speech.size() / 320 * 320);
    std::vector<int16_t> out = DecodeAll(c.id, c.bits, EncodeAll(c.id, c.bits, speech, 320), 4096);
    EXPECT_GE(out.size(), speech.size());
    double snr = SnrDb(speech, out, 2);
    EXPECT_GE(snr, c.minSnrDb);
    RecordProperty("snr_db", std::to_string(snr));
}

TEST_P(EveryCodec, BlockBoundariesDoNotChangeTheStream) {
    // The engine hands over blocks of whatever size the line delivers; a
    // stream cut into blocks of whole frames must code exactly as in one go.
    const CodecCase& c = GetParam();
    std::vector<int16_t> speech = SpeechSample();
    speech.resize(6400);
    std::vector<uint8_t> whole = EncodeAll(c.id, c.bits, speech, speech.size());
    EXPECT_EQ(EncodeAll(c.id, c.bits, speech, 320), whole);
    // Decoding may be fed any split of the bytes, odd ones included, except
    // GSM, which takes whole frames per block.
    size_t split = c.id == 128 ? 33 * 7 : 331;
    EXPECT_EQ(DecodeAll(c.id, c.bits, whole, split), DecodeAll(c.id, c.bits, whole, whole.size()));
}

TEST_P(EveryCodec, OutputNeverExceedsTheCapacityGiven) {
    const CodecCase& c = GetParam();
    std::vector<int16_t> speech = SpeechSample();
    speech.resize(3200);
    CVoiceCodec codec;
    ASSERT_TRUE(OpenVoiceCodec(codec, c.id, CodecSettings(c.id, c.bits)));
    std::vector<uint8_t> bytes(1000 + 64, 0xEE);
    size_t n = EncodeVoiceBlock(codec, speech.data(), speech.size(), bytes.data(), 1000);
    EXPECT_LE(n, 1000u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 1000, bytes.end()),
              std::vector<uint8_t>(64, 0xEE));
    std::vector<int16_t> samples(500 + 64, 0x5A5A);
    EXPECT_LE(DecodeVoiceBlock(codec, bytes.data(), n, samples.data(), 500), 500u);
    EXPECT_EQ(std::vector<int16_t>(samples.begin() + 500, samples.end()),
              std::vector<int16_t>(64, 0x5A5A));
}

INSTANTIATE_TEST_SUITE_P(Codecs, EveryCodec, ::testing::ValuesIn(kEveryCodec),
                         [](const auto& info) { return CodecName(info.param); });

TEST(VoiceCodec, OpensWithTheBitsTheIdForcesOrRefusesThem) {
    const struct {
        int id, asked, used; // used 0: the codec refuses to open
    } rows[] = {{128, 4, 2},  {5, 3, 4},    {41, 3, 4},  {130, 3, 4}, {1130, 3, 4},
                {8, 4, 8},    {9, 4, 8},    {16, 4, 16}, {4, 3, 3},   {129, 3, 3},
                {2130, 3, 3}, {2131, 3, 3}, {77, 3, 3},  {129, 2, 0}, {129, 6, 0},
                {129, 8, 0},  {4, 1, 0},    {4, 5, 0},   {4, 8, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE("id " + std::to_string(row.id) + " bits " + std::to_string(row.asked));
        if (row.used) {
            EXPECT_EQ(NormalizeCompressionBits(row.id, row.asked), row.used);
        }
        VoiceCodecSettings s = CodecSettings(row.id, row.asked);
        CVoiceCodec codec; // id -1: the configured compression
        ASSERT_EQ(OpenVoiceCodec(codec, -1, s), row.used != 0);
        EXPECT_EQ(codec.Id(), row.used ? row.id : 0);
        EXPECT_EQ(codec.Bits(), row.used);
        NormalizeCompressionBits(s);
        EXPECT_EQ(s.nCompressionBS, row.used ? row.used : row.asked);
    }
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

TEST(VoiceCodec, UnknownIdsAndClosedCodecsConvertNothing) {
    CVoiceCodec codec;
    ASSERT_TRUE(OpenVoiceCodec(codec, 77, CodecSettings(77, 4)));
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

TEST(VoiceCodec, LinearFormatsMapZeroAndSignsAsModemsExpect) {
    EXPECT_EQ(EncodeAll(8, 8, {0, 32767, -32768}, 3), (std::vector<uint8_t>{128, 255, 0}));
    EXPECT_EQ(DecodeAll(8, 8, {128}, 1), (std::vector<int16_t>{0}));
    EXPECT_EQ(DecodeAll(9, 8, {0xFF}, 1), (std::vector<int16_t>{-256}));
    // 16-bit: low byte first; an odd trailing byte waits for its partner.
    EXPECT_EQ(DecodeAll(16, 16, {0x34, 0x12, 0xCD, 0xAB}, 3),
              (std::vector<int16_t>{0x1234, static_cast<int16_t>(0xABCD)}));
}

TEST(VoiceCodec, GsmCodesWholeFramesOnlyAndLogsBadFrames) {
    std::vector<std::string> log;
    SetAudioLogSink([&](const std::string& line, AudioLogKind kind) {
        if (kind == AudioLogKind::Error)
            log.push_back(line);
    });
    std::vector<uint8_t> frame = EncodeAll(128, 2, SineWave(440, 5000, 300), 300);
    ASSERT_EQ(frame.size(), 33u);

    // Frame 0 good, frame 1 with a signature nibble that stays wrong after
    // the 0xD0 is ORed in, frame 2 good with the nibble dropped (as modems do).
    std::vector<uint8_t> frames = frame, bad = frame, stripped = frame;
    bad[0] = static_cast<uint8_t>((bad[0] & 0x0F) | 0x20);
    stripped[0] &= 0x0F;
    frames.insert(frames.end(), bad.begin(), bad.end());
    frames.insert(frames.end(), stripped.begin(), stripped.end());
    frames.push_back(0x11); // a partial frame is ignored
    EXPECT_EQ(DecodeAll(128, 2, frames, frames.size()).size(), 320u);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].starts_with("GSM_bad_frame")) << log[0];
    SetAudioLogSink(nullptr);
}

TEST(VoiceCodec, SoftAgcLevelsDecodedBlocks) {
    CLevelNormalizer agc;
    VoiceCodecSettings s = CodecSettings(16, 16);
    s.bSoftAGC = true;
    CVoiceCodec codec;
    ASSERT_TRUE(OpenVoiceCodec(codec, 16, s, &agc));
    std::vector<int16_t> quiet = SineWave(400, 4000, 800);
    std::vector<uint8_t> bytes = EncodeAll(16, 16, quiet, quiet.size());
    std::vector<int16_t> out(800);
    DecodeVoiceBlock(codec, bytes.data(), bytes.size(), out.data(), out.size());
    EXPECT_GE(*std::max_element(out.begin(), out.end()), 32000); // raised to full scale
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
    std::vector<uint8_t> bytes(20000);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(rng());
    // Long runs of the largest positive and negative codes drive it to the rails.
    bytes.insert(bytes.end(), 500, 0x77);
    bytes.insert(bytes.end(), 500, 0xFF);
    std::vector<int16_t> out(bytes.size() * 2);
    ASSERT_EQ(CZyxelADPCM().Decode(bytes.data(), bytes.size(), out.data(), out.size()), out.size());
    for (int16_t s : out)
        ASSERT_EQ(s % 4, 0);
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 32764);
    EXPECT_EQ(*std::min_element(out.begin(), out.end()), -32768);
}

TEST(ImaAdpcm, OddCountOnId1130PutsTheLastCodeAloneInAHighNibble) {
    CVoiceCodec codec;
    ASSERT_TRUE(OpenVoiceCodec(codec, 1130, CodecSettings(1130, 4)));
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
        withEscape.insert(withEscape.end(),
                          {static_cast<uint8_t>(esc & 0xFF), static_cast<uint8_t>(esc >> 8), 5, 0});
        withEscape.insert(withEscape.end(), stream.begin(), stream.end());

        CPredictiveAdpcm dec(bits);
        std::vector<int16_t> out(dec.DecodedBound(withEscape.size()) + 10);
        size_t n = dec.Decode(withEscape.data(), withEscape.size(), out.data(), out.size());
        size_t codes = stream.size() * 8 / bits;
        ASSERT_EQ(n, 2 * codes + 10);
        EXPECT_EQ(std::vector<int16_t>(out.begin() + codes, out.begin() + codes + 10),
                  std::vector<int16_t>(10, 0));
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + codes, out.begin() + codes + 10));
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
    ASSERT_TRUE(OpenVoiceCodec(play, 4, CodecSettings(4, 4)));
    ASSERT_TRUE(OpenVoiceCodec(record, 4, CodecSettings(4, 4)));
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

TEST(AudioTool, BadInputsEndWithTheirExitCodes) {
    TempHome home;
    WriteWav(home.File("tone.wav"), SineWave(1000, 6000, 800));
    const std::string wav = home.File("tone.wav"), out = home.File("x.wav");
    const struct {
        std::vector<std::string> args;
        int exit;
    } rows[] = {
        {{"gsmwav", home.File("missing.wav"), out}, 1},
        {{"decode", "--id", "77", wav, out}, 2},
        {{"decode", "--id", "129", "--bits", "7", wav, out}, 1},
        {{"decode", "--id", "4", home.File("missing.raw"), out}, 1},
        {{"encode", "--id", "4", wav}, 2},
        {{"encode", "--id"}, 2},
    };
    for (const auto& row : rows) {
        std::vector<std::string> argv = row.args;
        argv.insert(argv.begin(), BuiltProgram("vorella-tool"));
        EXPECT_EQ(RunProgram(argv).nExit, row.exit) << argv[1] << " " << argv[2];
    }
}
