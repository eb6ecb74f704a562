#include "web/EventStream.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

namespace {

// The frames of a stream as a browser splits it: each ends at a blank line.
std::vector<std::string> Frames(const std::string& stream) {
    std::vector<std::string> frames;
    for (size_t at = 0, end; (end = stream.find("\n\n", at)) != std::string::npos; at = end + 2)
        frames.push_back(stream.substr(at, end - at));
    return frames;
}

TEST(EventStream, NoTextOfACallerEndsItsFrameEarly) {
    const std::string evil = "Eve\n\ndata: {}\r\n\r\nevent: stored\r\"x\\\0\x7f\xff";
    const std::string frame = CallEventFrame(CallerIdentified{"1", "1", evil, evil, evil});
    ASSERT_EQ(Frames(frame).size(), 1u);
    EXPECT_EQ(frame.find('\r'), std::string::npos);
    EXPECT_EQ(frame.rfind("event: caller\ndata: {", 0), 0u);
    EXPECT_EQ(frame.find('\n', 21), frame.size() - 2); // one data line
    // Raw text: each of its lines a data line of the same frame.
    EXPECT_EQ(SseFrame("evil\nevent: x", "a\r\nb\n\nc\rd\n"),
              "event: evileventx\ndata: a\ndata: b\ndata: \ndata: c\ndata: d\ndata: \n\n");
    EXPECT_EQ(CallEventFrame(CallsForNotice{}), "");
}

TEST(EventStream, TellsAPageOfARecordingByItsFolderAndNameOnly) {
    const std::pair<CallEvent, std::string> kFrames[] = {
        {RecordingStored{"/home/u/.vorella/Recorded Calls/m 1.wav", 8, true, ""},
         R"(stored
data: {"folder":"Recorded Calls","file":"m 1.wav","seconds":8,"message":true,"problem":""})"},
        {LineLost{DeviceState::Lost, DeviceKind::SerialModem, "COM3", "unplugged"},
         R"(line-lost
data: {"state":"lost","kind":"serial voice modem","device":"COM3","reason":"unplugged"})"},
    };
    for (const auto& [event, frame] : kFrames)
        EXPECT_EQ(CallEventFrame(event), "event: " + frame + "\n\n");
}

TEST(EventStream, APageThatDoesNotReadLosesItsOldestFramesAndHoldsUpNoOne) {
    CCallEventPublisher events;
    CEventHub hub(8);
    hub.Start(events);
    std::mutex mutex;
    std::string got; // the reader takes its frames as soon as it is woken
    int reader = 0;
    reader = hub.Connect([&] {
        std::lock_guard lock(mutex);
        hub.Take(reader, got);
    });
    const int stuck = hub.Connect();
    for (int n = 1; n <= 200; ++n)
        events.Publish(CallRinging{n});
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard lock(mutex);
        return Frames(got).size() == 200 &&
               Frames(got)[199] == "event: ringing\ndata: {\"rings\":200}";
    }));
    EXPECT_EQ(hub.Dropped(reader), 0u);
    EXPECT_EQ(hub.Dropped(stuck), 192u);

    // The stuck page is told what it lost, then gets the newest frames; a
    // heartbeat goes only where nothing waits; a gone page gets nothing.
    hub.Heartbeat();
    std::string late;
    ASSERT_TRUE(hub.Take(stuck, late));
    hub.Heartbeat();
    ASSERT_TRUE(hub.Take(stuck, late));
    const std::vector<std::string> frames = Frames(late);
    ASSERT_EQ(frames.size(), 10u);
    EXPECT_EQ(frames[0], "event: dropped\ndata: {\"frames\":192}");
    EXPECT_EQ(frames[1], "event: ringing\ndata: {\"rings\":193}");
    EXPECT_EQ(frames[9], ": heartbeat");
    hub.Disconnect(stuck);
    EXPECT_FALSE(hub.Take(stuck, late));
    EXPECT_EQ(hub.Pages(), 1u);
}

} // namespace
