// Caller ID in the line's sound: FSK messages from spandsp's transmitter in
// both forms, read back byte for byte and decoded as the adapter's messages
// are; caller ID by keys; damaged messages.
#include "LineSigTestUtil.h"
#include "engine/Etsi.h"
#include "linesig/FskCallerId.h"
#include "linesig/LineAudioSynth.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string Param(int type, const std::string& value) {
    return std::string(1, static_cast<char>(type)) + static_cast<char>(value.size()) + value;
}

// A multiple-data caller-ID message, its length byte filled in.
std::string Message(const std::string& params) {
    return std::string("\x80", 1) + static_cast<char>(params.size()) + params;
}

const std::string kMessage =
    Message(Param(1, "12071503") + Param(2, "0301234567") + Param(7, "Ada Lovegood"));
// The North American single-data form: type 4, then date, time and number
// with no parameter headers.
const std::string kSingleData = std::string("\x04\x12", 2) + "12071503" + "5551234567";

} // namespace

TEST(LineSignalCallerId, FskMessagesComeBackAsSentOnceAndDamagedOnesNotAtAll) {
    using Step = LineAudioStep;
    const std::string second = Message(Param(2, "5550100") + Param(7, "Second Caller"));
    const std::vector<int16_t> v23 = SynthesiseLineAudio(
        {Step::Silence(300), Step::CallerIdFsk(kMessage, FskForm::EtsiV23), Step::Silence(300)});
    // A long line: the message 12 dB down (near -28 dBm0) still comes
    // through; spandsp's receiver gives up some 4 dB below that.
    std::vector<int16_t> faint = v23;
    for (int16_t& v : faint)
        v = static_cast<int16_t>(v / 4);
    // Line noise, and the same caller twice before another.
    std::vector<int16_t> calls = SynthesiseLineAudio(
        {Step::Silence(200), Step::CallerIdFsk(kMessage, FskForm::EtsiV23), Step::Silence(3000),
         Step::CallerIdFsk(kMessage, FskForm::EtsiV23), Step::Silence(3000),
         Step::CallerIdFsk(second, FskForm::EtsiV23), Step::Silence(200)});
    const std::vector<int16_t> whole =
        SynthesiseLineAudio({Step::CallerIdFsk(kMessage, FskForm::EtsiV23)});
    // A burst of noise over the middle: the checksum no longer holds.
    std::vector<int16_t> hit = whole;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> any(-32768, 32767);
    for (size_t i = whole.size() * 3 / 4; i < whole.size() * 3 / 4 + 200; ++i)
        hit[i] = static_cast<int16_t>(any(rng));
    const struct {
        const char* name;
        std::vector<int16_t> sound;
        std::vector<std::string> messages;
        bool bNothingElse; // no other signal either
    } rows[] = {
        {"V.23", v23, {kMessage}, true},
        {"Bell 202",
         SynthesiseLineAudio({Step::Silence(300), Step::CallerIdFsk(kMessage, FskForm::Bell202),
                              Step::Silence(300)}),
         {kMessage},
         true},
        // The detector hands the single-data form on as it came.
        {"single data",
         SynthesiseLineAudio({Step::CallerIdFsk(kSingleData, FskForm::Bell202), Step::Silence(200)}),
         {kSingleData},
         true},
        {"12 dB down", faint, {kMessage}, true},
        {"over noise, three calls",
         MixAtSnr(calls, SoxSound({"synth", "10", "pinknoise"}), 20),
         {kMessage, kMessage, second},
         false},
        {"cut off halfway",
         Concat({whole.begin(), whole.begin() + static_cast<long>(whole.size() * 3 / 4)},
                std::vector<int16_t>(4000, 0)),
         {},
         true},
        {"drowned in noise",
         MixAtSnr(whole, SoxSound({"synth", "2", "whitenoise"}), -6),
         {},
         false},
        {"noise burst", hit, {}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (size_t block : {size_t{1}, size_t{160}, size_t{4096}}) {
            std::vector<LineSignal> found = Detect(row.sound, block);
            std::vector<std::string> messages;
            for (const LineSignal& s : OfKind(found, LineSignalKind::CallerIdMessage))
                messages.push_back(s.sData);
            EXPECT_EQ(messages, row.messages) << "block " << block;
            if (row.bNothingElse) {
                EXPECT_EQ(found.size(), row.messages.size()) << Describe(found);
            }
        }
    }
    // What comes out decodes as the adapter's messages do.
    Etsi etsi;
    etsi.Parse(kMessage);
    EXPECT_EQ(etsi.m_sNumber, "0301234567");
    EXPECT_EQ(etsi.m_sName, "Ada Lovegood");
    EXPECT_EQ(etsi.m_sHour, "15");
}

TEST(LineSignalCallerId, CallerIdByKeysFromItsStartMarker) {
    std::vector<int16_t> sound = SynthesiseLineAudio({
        LineAudioStep::Silence(200),
        LineAudioStep::CallerIdKeys("A0301234567C"),
        LineAudioStep::Silence(2000),
        LineAudioStep::CallerIdKeys("D3#"), // number withheld for technical reasons
        LineAudioStep::Silence(2000),
        LineAudioStep::Keys("12"), // keys shortly before the caller ID are no part of it
        LineAudioStep::Silence(300),
        LineAudioStep::CallerIdKeys("A5550100#"),
        LineAudioStep::Silence(300),
    });
    std::vector<LineSignal> found = OfKind(Detect(sound), LineSignalKind::CallerIdDigits);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].sData, "A0301234567C");
    EXPECT_EQ(found[1].sData, "D3#");
    EXPECT_EQ(found[2].sData, "A5550100#");
    // Keys with no start marker are only keys.
    EXPECT_TRUE(OfKind(Detect(SynthesiseLineAudio({LineAudioStep::Keys("0123#")})),
                       LineSignalKind::CallerIdDigits)
                    .empty());
}

TEST(LineSignalCallerId, ScriptsThatCannotBeMadeAreRefused) {
    EXPECT_THROW(SynthesiseLineAudio({LineAudioStep::Keys("12x")}), std::invalid_argument);
    EXPECT_THROW(SynthesiseLineAudio({LineAudioStep::Tone("Atlantis busy", 1000)}),
                 std::invalid_argument);
    EXPECT_THROW(SynthesiseLineAudio({LineAudioStep::CallerIdFsk("\x80", FskForm::EtsiV23)}),
                 std::invalid_argument);
    EXPECT_THROW(
        SynthesiseLineAudio({LineAudioStep::CallerIdFsk(std::string(256, 'x'), FskForm::Bell202)}),
        std::invalid_argument);
    EXPECT_THROW(SynthesiseLineAudio({LineAudioStep::Silence(-1)}), std::invalid_argument);
    EXPECT_EQ(SynthesiseLineAudio({LineAudioStep::Silence(250)}).size(), 2000u);
}

TEST(LineSignalCallerId, OnlyWellFormedCallerIdMessagesCount) {
    struct Row {
        const char* name;
        std::string message;
        bool bValid;
    };
    const Row rows[] = {
        {"multiple data", kMessage, true},
        {"single data", kSingleData, true},
        {"single data, number withheld", std::string("\x04\x09", 2) + "12071503P", true},
        {"number absent, Latin-1 name",
         Message(Param(4, "O") + Param(7, "J\xfcrgen") + Param(0x11, "\x01")), true},
        {"unknown message type", "\x81" + kMessage.substr(1), false},
        {"length byte wrong", kMessage.substr(0, kMessage.size() - 1), false},
        {"parameter longer than the message",
         Message(Param(2, "555") + "\x07\x20"
                                   "Ada"),
         false},
        {"empty parameter", Message(Param(2, "555") + std::string("\x07\x00", 2)), false},
        {"date with a letter", Message(Param(1, "1207150x") + Param(2, "555")), false},
        {"number with letters", Message(Param(2, "555-CALL")), false},
        {"name with a control character", Message(Param(7, "Ada\x07")), false},
        {"no caller in it", Message(Param(1, "12071503")), false},
        {"single data too short", std::string("\x04\x05", 2) + "12071", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsCallerIdMessage(row.message), row.bValid) << row.name;
}

namespace {

// The bits of a message as an exchange sends them: seizure, mark, then each
// byte (and its checksum) between a start and a stop bit.
std::vector<int> FskBits(const std::string& message, int seizure, int mark, bool bChecksum = true) {
    std::vector<int> bits;
    for (int i = 0; i < seizure; ++i)
        bits.push_back(i % 2);
    bits.insert(bits.end(), static_cast<size_t>(mark), 1);
    std::string bytes = message;
    uint8_t sum = 0;
    for (char c : message)
        sum = static_cast<uint8_t>(sum - static_cast<uint8_t>(c));
    bytes.push_back(static_cast<char>(bChecksum ? sum : sum + 1));
    for (char c : bytes) {
        bits.push_back(0);
        for (int b = 0; b < 8; ++b)
            bits.push_back(static_cast<uint8_t>(c) >> b & 1);
        bits.push_back(1);
    }
    return bits;
}

} // namespace

TEST(LineSignalCallerId, AMessageNeedsItsSeizureMarkAndChecksum) {
    struct Row {
        const char* name;
        std::vector<int> bits;
        bool bHeard;
    };
    std::vector<int> broken = FskBits(kMessage, 300, 180);
    broken[300 + 180 + 10 * 5 + 9] = 0; // the stop bit of the fifth byte
    const Row rows[] = {
        {"as sent", FskBits(kMessage, 300, 180), true},
        {"short seizure and mark", FskBits(kMessage, 60, 60), true},
        {"no seizure", FskBits(kMessage, 0, 180), false},
        {"no mark", FskBits(kMessage, 300, 0), false},
        {"checksum wrong", FskBits(kMessage, 300, 180, false), false},
        {"framing error", broken, false},
        {"not a caller-ID message", FskBits(Message(Param(1, "12071503")), 300, 180), false},
    };
    for (const Row& row : rows) {
        std::vector<std::string> heard;
        CFskCallerIdFramer framer([&](std::string m) { heard.push_back(std::move(m)); });
        for (int bit : row.bits)
            framer.PutBit(bit);
        std::vector<std::string> expected;
        if (row.bHeard)
            expected.push_back(kMessage);
        EXPECT_EQ(heard, expected) << row.name;
    }
}
