// The queue sound backend between the program and a telephony stack: what
// is played reaches the stack in order and silence fills the gaps, what the
// stack hears reaches a recording, full queues drop their oldest sound and
// count it, and only the line's format opens.
#include "audio/QueueSoundBackend.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

std::vector<int16_t> Ramp(int16_t from, size_t n) {
    std::vector<int16_t> v(n);
    std::iota(v.begin(), v.end(), from);
    return v;
}

TEST(QueueSoundBackend, PlayedSoundReachesTheStackInOrderThenSilence) {
    CQueueSoundBackend backend("test", {"line 0", "line 1"});
    auto out = backend.OpenPlayback(1, PcmFormat(8000));
    ASSERT_NE(out, nullptr);
    const std::vector<int16_t> sent = Ramp(1, 300);
    ASSERT_TRUE(out->Write(sent.data(), sent.size()));

    std::vector<int16_t> taken(200, -1);
    EXPECT_EQ(backend.Take(0, taken.data(), taken.size()), 0u); // the other line: silence
    EXPECT_EQ(taken, std::vector<int16_t>(200, 0));
    EXPECT_EQ(backend.Take(1, taken.data(), taken.size()), 200u);
    EXPECT_EQ(taken, Ramp(1, 200));
    EXPECT_EQ(backend.Take(1, taken.data(), taken.size()), 100u);
    std::vector<int16_t> rest = Ramp(201, 100);
    rest.resize(200, 0);
    EXPECT_EQ(taken, rest);
    out->Drain(); // nothing left: returns at once
    EXPECT_EQ(backend.Dropped(1), 0u);
}

TEST(QueueSoundBackend, FullQueuesDropTheOldestSoundAndCountIt) {
    CQueueSoundBackend backend("test", {"line 0"}, 100);
    // Heard while nobody records: not kept, not counted.
    const std::vector<int16_t> early = Ramp(1000, 80);
    backend.Deliver(0, early.data(), early.size());
    auto in = backend.OpenCapture(0, PcmFormat(8000));
    ASSERT_NE(in, nullptr);
    std::vector<int16_t> got(100, -1);
    EXPECT_EQ(in->Read(got.data(), got.size(), 0), 0);
    EXPECT_EQ(backend.Dropped(0), 0u);

    // A recording that falls behind keeps the newest 100 samples.
    const std::vector<int16_t> heard = Ramp(0, 150);
    backend.Deliver(0, heard.data(), 90);
    backend.Deliver(0, heard.data() + 90, 60);
    EXPECT_EQ(backend.Dropped(0), 50u);
    EXPECT_EQ(in->Read(got.data(), got.size(), 1000), 100);
    EXPECT_EQ(got, Ramp(50, 100));

    // A stack that takes nothing: the writer waits about as long as the
    // sound lasts, then the oldest of it goes.
    auto out = backend.OpenPlayback(0, PcmFormat(8000));
    ASSERT_NE(out, nullptr);
    const std::vector<int16_t> played = Ramp(0, 160);
    ASSERT_TRUE(out->Write(played.data(), 100));
    ASSERT_TRUE(out->Write(played.data() + 100, 60));
    EXPECT_EQ(backend.Dropped(0), 110u);
    std::vector<int16_t> taken(100);
    EXPECT_EQ(backend.Take(0, taken.data(), taken.size()), 100u);
    EXPECT_EQ(taken, Ramp(60, 100));
}

TEST(QueueSoundBackend, OnlyTheLinesFormatOpensAndOneStreamEachWay) {
    CQueueSoundBackend backend("test", {"line 0"});
    EXPECT_EQ(backend.OpenCapture(0, PcmFormat(16000)), nullptr);
    EXPECT_EQ(backend.OpenPlayback(0, PcmFormat(8000, 16, 2)), nullptr);
    EXPECT_EQ(backend.OpenPlayback(0, PcmFormat(8000, 8)), nullptr);
    EXPECT_EQ(backend.OpenCapture(1, PcmFormat(8000)), nullptr);
    EXPECT_EQ(backend.OpenCapture(-1, PcmFormat(8000)), nullptr);

    auto in = backend.OpenCapture(0, PcmFormat(8000));
    auto out = backend.OpenPlayback(0, PcmFormat(8000));
    ASSERT_NE(in, nullptr);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(backend.OpenCapture(0, PcmFormat(8000)), nullptr);
    EXPECT_EQ(backend.OpenPlayback(0, PcmFormat(8000)), nullptr);
    in.reset();
    out.reset();
    EXPECT_NE(backend.OpenCapture(0, PcmFormat(8000)), nullptr);
    EXPECT_NE(backend.OpenPlayback(0, PcmFormat(8000)), nullptr);
    ASSERT_EQ(backend.ListDevices(true).size(), 1u);
    EXPECT_EQ(backend.ListDevices(false)[0].sName, "line 0");
}

} // namespace
