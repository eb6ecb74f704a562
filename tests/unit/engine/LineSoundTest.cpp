// The record loop every device without a modem's voice stream shares (a
// telephony line's call, the USB adapter): while it records, the recording
// flag the window and the tray read is set, whoever asked for the
// recording, and clearing it, as the user's "stop recording" does, ends it.
#include "TempHome.h"
#include "WaitUntil.h"

#include "engine/CallState.h"
#include "engine/LineSound.h"
#include "engine/Phone.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(LineSound, ARecordingKeepsTheRecordingFlagSetAndEndsWhenItIsCleared) {
    TempHome home;
    ResetCallState();
    CPhone phone;
    bool bSeen = false;
    std::thread user([&] {
        bSeen = WaitUntil([] { return g_bRecording.load(); }, 10000);
        g_bRecording = false;
    });
    // The process's (null) sound card; the limit only bounds a failing test.
    const RecordResult r = RecordFromLineDevice(
        phone, {}, home.File("greeting.wav"), 20000, [] { return false; }, "Record");
    user.join();
    EXPECT_TRUE(bSeen) << "the flag was set while the line was recorded";
    EXPECT_TRUE(r.bOpened);
    EXPECT_FALSE(g_bRecording);
    EXPECT_LT(r.nSamples, 8000u * 10) << "it ended when the flag was cleared, not at its limit";
}

} // namespace
