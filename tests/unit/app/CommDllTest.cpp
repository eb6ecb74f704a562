// CCommDll on a real shared block: every command code, the replies written
// back, and a block written by a careless or hostile program.
#include "FakeExternalControl.h"
#include "TempHome.h"

#include "app/CommDll.h"
#include "platform/RuntimeFolder.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

class CommDllTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        folder = GetRuntimeFolder(&error);
        ASSERT_FALSE(folder.empty()) << error;
        ASSERT_TRUE(dll.Open(folder, &error)) << error;
        dll.Enable();
        ASSERT_EQ(client.Open(ControlBlockName(folder), CommBlock::kSize,
                              SharedMemoryBlock::OpenMode::OpenExisting, &error),
                  SharedMemoryBlock::OpenResult::Ok)
            << error;
    }

    // Writes a request as another program would and runs the callback.
    CommResult Send(const CommBlockData& request) {
        std::vector<uint8_t> raw(CommBlock::kUsedSize);
        EncodeCommBlock(request, raw.data());
        EXPECT_TRUE(client.WriteAt(0, raw.data(), raw.size()));
        return dll.OnCallback(fake);
    }
    CommBlockData Read() {
        std::vector<uint8_t> raw(CommBlock::kUsedSize);
        EXPECT_TRUE(client.ReadAt(0, raw.data(), raw.size()));
        return DecodeCommBlock(raw.data());
    }
    static CommBlockData Code(int code) {
        CommBlockData d;
        d.nCommand = code;
        return d;
    }

    TempHome home;
    std::string folder;
    CCommDll dll;
    SharedMemoryBlock client;
    FakeExternalControl fake;
};

// The codes themselves, from vorellactl to the service: VorelladTest.
TEST_F(CommDllTest, RepliesAreCutToTheirFieldAndCommandsLeaveTheBlockAsWritten) {
    fake.caller = {std::string(1000, 'n'), "5550123", "calls about the invoice"};
    ASSERT_EQ(Send(Code(4)), CommResult::Done);
    CommBlockData r = Read();
    EXPECT_EQ(r.sName, std::string(259, 'n'));
    EXPECT_EQ(r.sText, "calls about the invoice");
    EXPECT_TRUE(fake.log.empty()) << "queries do nothing";

    // Any non-zero parameter 1 switches monitoring on.
    CommBlockData set = Code(1);
    set.nParam1 = -5;
    fake.bMonitoring = false;
    ASSERT_EQ(Send(set), CommResult::Done);
    EXPECT_TRUE(fake.bMonitoring);
    EXPECT_EQ(Read().nParam1, -5);
}

TEST_F(CommDllTest, TheDiagnosticsReportFillsTheRestOfTheBlockAndNoMore) {
    auto report = [&] {
        std::vector<char> raw(CommBlock::kReport.size);
        EXPECT_TRUE(client.ReadAt(CommBlock::kReport.offset, raw.data(), raw.size()));
        return std::string(raw.data(), strnlen(raw.data(), raw.size()));
    };
    fake.diagnostics = {DiagnosticsState::Running, "Diagnostics for X\r\n"};
    CommBlockData q = Code(13);
    q.nParam1 = 1;
    q.sName = "kept";
    ASSERT_EQ(Send(q), CommResult::Done);
    EXPECT_EQ(Read().nParam1, 1);
    EXPECT_EQ(Read().sName, "kept") << "the fields stay as they were";
    EXPECT_EQ(report(), "Diagnostics for X\r\n");

    // A modem that talks too much: the report is cut at the block's end,
    // its zero kept inside.
    fake.diagnostics = {DiagnosticsState::Done, std::string(CommBlock::kSize, 'A')};
    ASSERT_EQ(Send(Code(13)), CommResult::Done);
    EXPECT_EQ(Read().nParam1, 2);
    EXPECT_EQ(report(), std::string(CommBlock::MaxChars(CommBlock::kReport), 'A'));

    fake.diagnostics = {DiagnosticsState::NoModem, ""};
    ASSERT_EQ(Send(Code(13)), CommResult::Done);
    EXPECT_EQ(Read().nParam1, 0);
    EXPECT_EQ(report(), "");
    EXPECT_EQ(fake.log, (std::vector<std::string>{"diagnostics start", "diagnostics poll",
                                                  "diagnostics poll"}));
}

TEST_F(CommDllTest, SpeakTimeIsAPositiveBoundedCount) {
    struct Case {
        const char* text;
        unsigned seconds;
    } cases[] = {
        {"30", 30},
        {" 7s", 7},
        {"+5", 5},
        {"0", 0},
        {"-3", 0},
        {"abc", 0},
        {"", 0},
        {"86400", 86400},
        {"99999999999999999999", CCommDll::kMaxSpeakSeconds}, // would overflow x 1000
    };
    for (const Case& c : cases)
        EXPECT_EQ(CCommDll::ParseSpeakSeconds(c.text), c.seconds) << c.text;

    CommBlockData d = Code(12);
    d.sNumber = "1";
    d.sText = "-20";
    Send(d);
    EXPECT_EQ(fake.log, (std::vector<std::string>{"dial+speak 1"})) << "no timer";
}

// Parameter 2 answers with the outcome: 14's and 15's TalkOutcome, 16's
// "done" and 17's "screening on"; the text says what was done, and 17 with
// neither 1 nor 2 asks nothing.
TEST_F(CommDllTest, TalkAndScreeningCodesAnswerWithTheOutcomeInParameterTwo) {
    struct Case {
        int code, param1;
        int32_t reply; // what the core answers, as parameter 2 carries it
        const char* text;
        const char* action;
    } cases[] = {
        {14, 0, 0, "", "talk answer"},     {14, 7, 1, "", "talk answer"},
        {15, 1, 0, "", "talk"},            {15, -2, 2, "", "talk"},
        {15, 0, 1, "", "talk off"},        {16, 2, 1, "what was done", "block 5550123"},
        {16, 1, 0, "what was done", "permit 5550123"}, {16, 0, 1, "what was done", "none 5550123"},
        {17, 2, 0, "what was done", "screening off"},  {17, 1, 1, "what was done", "screening on"},
        {17, 9, 1, "", ""},
    };
    for (const Case& c : cases) {
        fake.log.clear();
        fake.talkOutcome = static_cast<TalkOutcome>(c.reply);
        fake.screeningReply = {c.reply != 0, "what was done"};
        fake.bScreeningOn = c.reply != 0;
        CommBlockData d = Code(c.code);
        d.nParam1 = c.param1;
        d.nParam2 = 99;
        d.sNumber = "5550123";
        ASSERT_EQ(Send(d), CommResult::Done) << c.code;
        const CommBlockData r = Read();
        EXPECT_EQ(r.nParam2, c.reply) << c.code << " " << c.param1;
        EXPECT_EQ(r.nParam1, c.param1) << c.code;
        EXPECT_EQ(r.sText, c.text) << c.code << " " << c.param1;
        EXPECT_EQ(fake.log, *c.action ? std::vector<std::string>{c.action}
                                      : std::vector<std::string>{})
            << c.code << " " << c.param1;
    }
}

TEST_F(CommDllTest, HostileBlocksChangeNothingAndCrashNothing) {
    // Unknown codes: nothing done, block left as it was.
    for (int code : {18, -1, 1000, INT32_MIN}) {
        CommBlockData d = Code(code);
        d.nParam1 = 42;
        EXPECT_EQ(Send(d), CommResult::UnknownCode) << code;
        EXPECT_EQ(Read().nParam1, 42);
    }
    EXPECT_TRUE(fake.log.empty());

    // Not enabled yet, nothing runs: ControlServiceTest.
    // Shrunk under us by another program: an error, not a crash.
    int fd = ::shm_open(ControlBlockName(folder).c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 16), 0);
    ::close(fd);
    EXPECT_EQ(dll.OnCallback(fake), CommResult::BadBlock);
    EXPECT_FALSE(fake.bQuit);
}

} // namespace
