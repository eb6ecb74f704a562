// Silence detection over one-second windows and the level normaliser.
#include "AudioTestUtil.h"

#include "audio/SilenceDetection.h"

#include <gtest/gtest.h>

namespace {

// Feeds one window of samples alternating +a and -a: deviation exactly a.
void FeedWindow(CSilenceDetection& d, int a, size_t count = 8000) {
    for (size_t i = 0; i < count; ++i)
        d.AddSample(static_cast<int16_t>(i % 2 ? -a : a));
}

} // namespace

TEST(SilenceDetection, QuietWindowsAddUpAndOneLoudWindowResets) {
    // The windows after the first hold 8001 samples; the first window's
    // averages carry in. The threshold is 50: a deviation of twice that is quiet.
    const struct {
        const char* name;
        std::vector<int> levels; // one window each, alternating +a and -a
        int lastDeviation;
        int silenceMs;
    } rows[] = {
        {"at the threshold", {100}, 100, 1000},
        {"twice at the threshold", {100, 100}, 100, 2000},
        {"then just above it", {100, 100, 102}, 102, 0},
        {"seven quiet windows", {10, 10, 10, 10, 10, 10, 10}, 10, 7000},
        {"and a loud one", {10, 10, 10, 10, 10, 10, 10, 5000}, 5000, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CSilenceDetection d;
        for (size_t w = 0; w < row.levels.size(); ++w)
            FeedWindow(d, row.levels[w], w == 0 ? 8000 : 8001);
        EXPECT_NEAR(d.LastDeviation(), row.lastDeviation, row.lastDeviation / 50);
        EXPECT_EQ(d.SilenceTime(), row.silenceMs);
    }
    // DC: the deviation is 0 however large the level.
    CSilenceDetection dc;
    for (int i = 0; i < 8000; ++i)
        dc.AddSample(20000);
    EXPECT_EQ(dc.LastDeviation(), 0);
    EXPECT_EQ(dc.SilenceTime(), 1000);
}

TEST(SilenceDetection, DefaultSensitivityDoesNotStopARecordingOfSpeech) {
    // The setting's default is -1. Read literally, twice the threshold becomes
    // 0xFFFFFFFE unsigned and every window is "quiet"; a negative value means
    // the default threshold instead.
    CSilenceDetection d;
    d.SetSensitivity(-1);
    EXPECT_EQ(d.Threshold(), CSilenceDetection::kDefaultThreshold);
    std::vector<int16_t> speech = SpeechSample();
    for (int rep = 0; rep < 2; ++rep)
        for (int16_t s : speech)
            d.AddSample(s);
    EXPECT_EQ(d.SilenceTime(), 0);
    d.SetSensitivity(300);
    d.Reset(); // a new recording starts from the default again
    EXPECT_EQ(d.Threshold(), CSilenceDetection::kDefaultThreshold);
    EXPECT_EQ(d.SilenceTime(), 0);
}

TEST(LevelNormalizer, FollowsPeaksAndEasesBackUp) {
    CLevelNormalizer n;
    std::vector<int16_t> block = {500, -500, 250};
    n.NormalizeLevel(block.data(), block.size());
    EXPECT_EQ(n.Gain(), 1.0); // a peak of 500 changes nothing
    EXPECT_EQ(block, (std::vector<int16_t>{500, -500, 250}));

    block = {4000, -100};
    n.NormalizeLevel(block.data(), block.size());
    EXPECT_EQ(n.Reference(), 4000);
    EXPECT_DOUBLE_EQ(n.Gain(), 32767.0 / 4000);
    EXPECT_EQ(block[0], 32767);
    EXPECT_EQ(block[1], static_cast<int16_t>(-100 * 32767.0 / 4000));

    // Below half the reference (and at least 501): the reference eases down.
    block = {1000};
    n.NormalizeLevel(block.data(), block.size());
    EXPECT_EQ(n.Reference(), (3 * 4000 + 1000) / 4);
    EXPECT_DOUBLE_EQ(n.Gain(), 32767.0 / 3250);

    // Between half the reference and the reference: the gain stands, and a
    // sample it lifts past full scale clips and is counted.
    block = {3000, -3200, 1700};
    n.NormalizeLevel(block.data(), block.size());
    EXPECT_EQ(n.Reference(), 3250);
    EXPECT_EQ(block[0], static_cast<int16_t>(3000 * 32767.0 / 3250));
    EXPECT_EQ(n.Clipped(), 1); // the 4000 of the earlier block
    block = {3240, -3249};
    n.NormalizeLevel(block.data(), block.size());
    EXPECT_EQ(block[0], static_cast<int16_t>(3240 * 32767.0 / 3250));
    int16_t loud[] = {-32000};
    CLevelNormalizer c;
    c.NormalizeLevel(loud, 1); // new reference 32000: gain > 1
    EXPECT_EQ(loud[0], -32767);
    int16_t more[] = {-31999, -32000};
    c.NormalizeLevel(more, 2);
    EXPECT_EQ(more[1], -32767);
    block = {-32768, 32767};
    CLevelNormalizer m;
    m.NormalizeLevel(block.data(), block.size());
    // The gain becomes 32767/32768: both products stay inside and truncate.
    EXPECT_EQ(block, (std::vector<int16_t>{-32767, 32766}));
    EXPECT_EQ(m.HighestPeak(), 32768);
    EXPECT_EQ(m.Clipped(), 0);
}
