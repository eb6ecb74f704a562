#include "engine/RecordingName.h"
#include "TempHome.h"
#include "engine/CallState.h"
#include "engine/LoggingUiBridge.h"
#include "platform/FileUtil.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

constexpr std::time_t k2Jan2008 = 1199232005; // 2008-01-02 00:00:05 UTC
constexpr std::time_t k1Jan2008 = 1199145605; // 2008-01-01 00:00:05 UTC

class RecordingNameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    TempHome home;
    CCallStateData state;
};

} // namespace

TEST_F(RecordingNameTest, FolderRules) {
    std::string dataPath;
    EXPECT_EQ(RecordingFolder("/data//", dataPath, "", ""), "/data/Recorded Calls/");
    EXPECT_EQ(dataPath, "/data/");
    // A selected folder below "Recorded Calls" is used as it is.
    EXPECT_EQ(RecordingFolder("/data/", dataPath, "/data/Recorded Calls/Family", ""),
              "/data/Recorded Calls/Family/");
    // Any other selected folder sends recordings to the data path's call folder.
    EXPECT_EQ(RecordingFolder("/other/", dataPath, "/home/me/Music", ""), "/data/Recorded Calls/");
    EXPECT_EQ(dataPath, "/data/"); // an existing data path stays
    EXPECT_EQ(RecordingFolder("/data/", dataPath, "/data/Recorded Calls", "/override///"),
              "/override/");
}

TEST_F(RecordingNameTest, TheThreeForms) {
    RecordingNameSettings s;
    EXPECT_EQ(RecordingFileName("/f/", s, k2Jan2008), "/f/rec2008-01-02, 00_00_05.wav");
    s.fKestrixCustomization = true;
    s.sKestrixThisComputerID = "07";
    EXPECT_EQ(RecordingFileName("/f/", s, k2Jan2008), "/f/070800100005.wav");
    EXPECT_EQ(RecordingFileName("/f/", s, k1Jan2008), "/f/070800000005.wav");
    EXPECT_EQ(RecordingFileName("/f/", s, k1Jan2008 + 364 * 86400 + 86394),
              "/f/070836486399.wav"); // 31 December of a leap year, 23:59:59
    s.sRequestedName = "order 4711";
    EXPECT_EQ(RecordingFileName("/f/", s, k2Jan2008), "/f/order 4711.wav");
    // A requested name from outside cannot leave the folder.
    s.sRequestedName = "../../etc/passwd";
    EXPECT_EQ(RecordingFileName("/f/", s, k2Jan2008), "/f/.._.._etc_passwd.wav");
    s.sRequestedName = "..";
    EXPECT_EQ(RecordingFileName("/f/", s, k2Jan2008), "/f/_.wav");
    s.sRequestedName = "a\nb";
    EXPECT_EQ(RecordingFileName("/f/", s, k2Jan2008), "/f/a_b.wav");
}

TEST_F(RecordingNameTest, TwoRecordingsInTheSameSecondGetTwoFiles) {
    std::string folder = home.Path() + "Recorded Calls/";
    CLoggingUiBridge ui;
    CNumber caller;
    caller.m_sCidNumber = "5551234";
    state.curCall.Set(caller);

    std::string current;
    std::string first = BuildRecordingFileName(folder, {}, current, ui, state, k2Jan2008);
    ASSERT_TRUE(WriteFileAtomic(first, "first recording"));
    std::string second = BuildRecordingFileName(folder, {}, current, ui, state, k2Jan2008);
    std::string third = BuildRecordingFileName(folder, {}, current, ui, state, k2Jan2008);

    EXPECT_EQ(first, folder + "rec2008-01-02, 00_00_05.wav");
    EXPECT_EQ(second, folder + "rec2008-01-02, 00_00_05 (2).wav");
    EXPECT_EQ(third, folder + "rec2008-01-02, 00_00_05 (3).wav");
    EXPECT_EQ(current, third);
    EXPECT_EQ(ReadWholeFile(first, 100).value_or(""), "first recording");
    EXPECT_TRUE(FileExists(second)); // reserved at once
    auto calls = state.recentCalls.Get();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].m_sCidNumber, "5551234");
    auto lines = ui.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "call: started"), 3);

    // A folder that cannot be written still yields the name; the recorder
    // reports the failure when it creates the file.
    EXPECT_EQ(ReserveFreeFileName("/nonexistent-folder/x.wav"), "/nonexistent-folder/x.wav");
}
