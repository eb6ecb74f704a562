#include "calllog/CallLog.h"
#include "calllog/CallTime.h"
#include "calllog/DataStructure.h"

#include "ScopedEnv.h"
#include "TempHome.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <atomic>
#include <fstream>
#include <functional>
#include <map>
#include <thread>
#include <sys/resource.h>
#include <sys/time.h>

namespace {

class CallRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::tzset();
        std::filesystem::create_directories(Folder());
    }
    std::string Folder() const { return home.File("Recorded Calls/"); }
    std::string Index() const { return Folder() + "index.dat"; }
    // A recording whose last write was 2026-12-06 21:05:42 UTC.
    std::string MakeRecording(const std::string& name) {
        home.Write("Recorded Calls/" + name, std::string(2000, 'w'));
        timeval times[2] = {{1796591142, 0}, {1796591142, 0}};
        ::utimes((Folder() + name).c_str(), times);
        return Folder() + name;
    }
    ScopedEnv lcAll{"LC_ALL", nullptr}, lcTime{"LC_TIME", "C.UTF-8"}, tz{"TZ", "UTC"};
    TempHome home;
    CCallLog callLog;
};

TEST_F(CallRecordTest, TheIndexPathFollowsTheShownFolder) {
    EXPECT_EQ(IndexPathFor("/data/Recorded Calls/2026", "/x/"),
              "/data/Recorded Calls/2026/index.dat");
    EXPECT_EQ(IndexPathFor("/data/Other", "/x"), "/x/Recorded Calls/index.dat");
}

TEST_F(CallRecordTest, AFinishedCallIsWrittenAndUpdatedInPlace) {
    FinishedCall call;
    call.sRecordingPath = MakeRecording("rec2026-12-06, 21_05_00.wav");
    call.sName = "O'Brien \"Bob\"";
    call.sNumber = "5551234";
    call.sMemo = "line one\r\nline two, with \"quotes\"\r\n.";
    call.nLength = 95;
    call.bMessage = true;

    // An older record of the same file with an extra field and reserved numbers.
    home.Write("Recorded Calls/index.dat",
               "\"other.wav\",\"\",\"\",\"\",\"\",\"\",\"\",\"1\",\"0\",\"0\",\"0\"\r\n"
               "\"rec2026-12-06, 21_05_00.wav\",\"\",\"\",\"\",\"\",\"old\",\"keep me\",\"3\","
               "\"7\",\"8\",\"0\"\r\n");
    std::string error;
    ASSERT_TRUE(callLog.StoreFinishedCall(call, &error)) << error;

    CDataStructureArray a;
    ASSERT_EQ(a.Load(Index()), 2);
    const CDataStructure& r = a.GetAt(1);
    EXPECT_EQ(r.m_sFile, "rec2026-12-06, 21_05_00.wav");
    EXPECT_EQ(r.m_sDate, "12/06/26");
    EXPECT_EQ(r.m_sTime, "21:05");
    EXPECT_EQ(r.m_sName, call.sName);
    EXPECT_EQ(r.m_sMemo, call.sMemo);
    EXPECT_EQ(r.m_sExtra, "keep me");
    EXPECT_EQ(r.m_nLength, 95);
    EXPECT_EQ(r.m_nReserved1, 0);
    EXPECT_EQ(r.m_nReserved2, 0);
    EXPECT_EQ(r.m_bMessage, 1);
    EXPECT_EQ(CallTimeLocale().SortKey(r.m_sDate, r.m_sTime), "20261206210500");

    // What the user types replaces the caller's fields and keeps what the
    // recorder wrote; a recording not in the index yet gets its record.
    FinishedCall typed;
    typed.sRecordingPath = call.sRecordingPath;
    typed.sName = "John Doe";
    typed.sMemo = "call back\nmonday";
    ASSERT_TRUE(callLog.StoreCallerFields(typed, &error)) << error;
    ASSERT_EQ(a.Load(Index()), 2);
    EXPECT_EQ(a.GetAt(1).m_sName, "John Doe");
    EXPECT_EQ(a.GetAt(1).m_sMemo, typed.sMemo);
    EXPECT_EQ(a.GetAt(1).m_nLength, 95) << "the length stays";
    EXPECT_EQ(a.GetAt(1).m_bMessage, 1);
    EXPECT_EQ(a.GetAt(1).m_sDate, "12/06/26");
    typed.sRecordingPath = MakeRecording("b.wav");
    ASSERT_TRUE(callLog.StoreCallerFields(typed));

    // A recording that is not there (yet) gets empty date and time.
    call.sRecordingPath = Folder() + "missing.wav";
    ASSERT_TRUE(callLog.StoreFinishedCall(call));
    ASSERT_EQ(a.Load(Index()), 4);
    EXPECT_EQ(a.GetAt(2).m_sFile, "b.wav");
    EXPECT_EQ(a.GetAt(2).m_sDate, "12/06/26");
    EXPECT_EQ(a.GetAt(3).m_sDate, "");
    EXPECT_EQ(a.GetAt(3).m_sFile, "missing.wav");
}

// A new call's line goes to the end and leaves every byte before it as it
// was, however the lines before it were written; a line that a crash cut
// short (a quote opened, no line end) is not a record and goes at the next
// store, while a hand-edited last line without its line end stays one.
TEST_F(CallRecordTest, ANewCallIsAppendedAndATornLastLineRepaired) {
    const std::string kLine = "\"a.wav\",\"21:05\",\"12/06/26\",\"1\",\"n\",\"\",\"\",\"3\",\"0\","
                              "\"0\",\"0\"\r\n";
    const std::string kLong(20000, 'x'); // a line of any length is one record
    const struct {
        const char* name;
        std::string before;
        int nLoaded;      // records read before the store
        std::string kept; // what the store leaves in front of the new line
    } kCases[] = {
        {"none", "", 0, ""},
        {"hand-edited lines", kLong + "\r\n\r\nb.wav\n" + kLine, 4,
         kLong + "\r\n\r\nb.wav\n" + kLine},
        {"torn quoted line", kLine + "\"torn.wav\",\"21:", 1, kLine},
        {"torn before its end", kLine + kLine.substr(0, kLine.size() - 3) + "\r", 1, kLine},
        {"whole line without line end", kLine + kLine.substr(0, kLine.size() - 2), 2,
         kLine + kLine},
        {"hand-edited line without line end", kLine + "c.wav", 2, kLine + "c.wav\r\n"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        home.Write("Recorded Calls/index.dat", c.before);
        CDataStructureArray a;
        EXPECT_EQ(a.Load(Index()), c.nLoaded);
        FinishedCall call;
        call.sRecordingPath = MakeRecording("new.wav");
        call.sNumber = "555";
        std::string error;
        ASSERT_TRUE(callLog.StoreFinishedCall(call, &error)) << error;
        CDataStructure rec;
        rec.m_sFile = "new.wav";
        rec.m_sTime = "21:05";
        rec.m_sDate = "12/06/26";
        rec.m_sNumber = "555";
        EXPECT_EQ(home.Read("Recorded Calls/index.dat"), c.kept + FormatIndexLine(rec) + "\r\n");
        std::filesystem::remove(Index());
    }
}

// The worker and the window store calls from their own threads at once: each
// request is done whole, so every line stays complete, none is lost, and
// every listener hears of each request.
TEST_F(CallRecordTest, TwoThreadsStoringCallsInOneFolderLoseNothing) {
    struct Counter : ICallLogListener {
        void CallLogChanged(const CallLogChange& change) override {
            if (change.kind == CallLogChange::Kind::Stored && change.files.size() == 1)
                ++nStored;
        }
        std::atomic<int> nStored{0};
    } counter;
    callLog.AddListener(counter);
    constexpr int kCalls = 40;
    auto writer = [&](const std::string& prefix) {
        for (int i = 0; i < kCalls; ++i) {
            FinishedCall call;
            call.sRecordingPath = Folder() + prefix + std::to_string(i) + ".wav";
            call.sNumber = "555" + std::to_string(i);
            EXPECT_TRUE(callLog.StoreFinishedCall(call)); // the recording starts
            call.sMemo = prefix + " memo\r\nline two";
            EXPECT_TRUE(callLog.StoreCallerFields(call)); // the user types
            call.nLength = i + 1;
            EXPECT_TRUE(callLog.StoreFinishedCall(call)); // the recording ends
        }
    };
    std::thread worker(writer, "worker");
    std::thread window(writer, "window");
    worker.join();
    window.join();
    callLog.RemoveListener(counter);

    std::ifstream in(Index(), std::ios::binary);
    std::string line;
    std::map<std::string, CDataStructure> records;
    while (std::getline(in, line)) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r') << line;
        line.pop_back();
        const CDataStructure rec = ParseIndexLine(line);
        EXPECT_EQ(FormatIndexLine(rec), line) << "a complete line";
        EXPECT_TRUE(records.emplace(rec.m_sFile, rec).second) << rec.m_sFile << " twice";
    }
    ASSERT_EQ(records.size(), size_t(2 * kCalls));
    for (const char* prefix : {"worker", "window"})
        for (int i = 0; i < kCalls; ++i) {
            const CDataStructure& rec = records[prefix + std::to_string(i) + ".wav"];
            EXPECT_EQ(rec.m_nLength, i + 1);
            EXPECT_EQ(rec.m_sMemo, std::string(prefix) + " memo\r\nline two");
        }
    EXPECT_EQ(counter.nStored, 3 * 2 * kCalls);
}

// The line of a call that does not fit on the disk is not there at all, and
// the lines before it are whole.
TEST_F(CallRecordTest, ACallThatDoesNotFitLeavesTheIndexAsItWas) {
    FinishedCall call;
    call.sRecordingPath = MakeRecording("a.wav");
    ASSERT_TRUE(callLog.StoreFinishedCall(call));
    const std::string before = home.Read("Recorded Calls/index.dat");
    call.sRecordingPath = MakeRecording("b.wav");
    call.sMemo = std::string(4000, 'm');
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = before.size() + 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    std::string error;
    const bool bStored = callLog.StoreFinishedCall(call, &error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(bStored);
    EXPECT_NE(error.find("index.dat"), std::string::npos) << error;
    EXPECT_EQ(home.Read("Recorded Calls/index.dat"), before);
}

TEST_F(CallRecordTest, CallerFieldsLoseTheNetworksPaddingBeforeTheyAreStored) {
    struct Case {
        const char* name;
        const char* number;
        const char* stored; // the name and number columns as the file holds them
    } cases[] = {
        {"ACME CORP      ", "5551234   ", R"("5551234","ACME CORP")"},
        {"  O'BRIEN J\t", "\t 0049 30 1234 ", R"("0049 30 1234","O'BRIEN J")"},
        {"               ", "", R"("","")"},
        {"DOE \"JD\" JOHN ", "5551234", R"("5551234","DOE \x22JD\x22 JOHN")"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(Index());
        FinishedCall call;
        call.sRecordingPath = MakeRecording("rec.wav");
        call.sName = c.name;
        call.sNumber = c.number;
        ASSERT_TRUE(callLog.StoreFinishedCall(call));
        // Earlier versions read the fields as they stand between the quotes.
        EXPECT_NE(home.Read("Recorded Calls/index.dat").find(std::string(",") + c.stored + ","),
                  std::string::npos)
            << home.Read("Recorded Calls/index.dat");
    }
}

// A call that cannot be stored says which index and why, and leaves
// whatever is there as it was.
TEST_F(CallRecordTest, AnIndexThatCannotBeWrittenIsNamedWithItsReason) {
    struct Row {
        const char* name;
        std::string folder;                      // of the recording, under the home
        std::function<void(const std::string&)> spoil; // given the index's path
        std::string said;                        // after the index's path
    };
    const std::vector<Row> rows = {
        {"index.dat is a folder", "Recorded Calls/",
         [](const std::string& index) { std::filesystem::create_directories(index); },
         ": cannot be read as a call index"},
        {"the folder is gone", "Gone/",
         [&](const std::string&) { std::filesystem::remove_all(home.File("Gone")); },
         ": No such file or directory"},
        {"the folder is a file", "Plain/",
         [&](const std::string&) {
             std::filesystem::remove_all(home.File("Plain"));
             home.Write("Plain", "a file");
         },
         ": Not a directory"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::create_directories(home.File(row.folder));
        FinishedCall call;
        call.sRecordingPath = home.File(row.folder + "a.wav");
        const std::string index = CCallLog::IndexBeside(call.sRecordingPath);
        row.spoil(index);
        std::string error;
        EXPECT_FALSE(callLog.StoreFinishedCall(call, &error));
        EXPECT_EQ(error.rfind(index + row.said, 0), 0u) << error;
    }
    EXPECT_TRUE(std::filesystem::is_directory(Index()));
}

TEST_F(CallRecordTest, MovingTakesFilesAndRecordsToTheOtherFolder) {
    FinishedCall call;
    for (const char* name : {"a.wav", "b.wav", "gone.wav", "taken.wav"}) {
        call.sRecordingPath = MakeRecording(name);
        call.sName = name;
        ASSERT_TRUE(callLog.StoreFinishedCall(call));
    }
    std::filesystem::remove(Folder() + "gone.wav");
    const std::string to = Folder() + "Family/";
    home.Write("Recorded Calls/Family/taken.wav", "someone else's");

    std::string error;
    EXPECT_FALSE(callLog.MoveRecordings(Folder(), Index(), to, to + "index.dat",
                                    {"a.wav", "gone.wav", "taken.wav"}, &error));
    EXPECT_NE(error.find("taken.wav"), std::string::npos) << error;

    CDataStructureArray from, target;
    ASSERT_EQ(from.Load(Index()), 2);
    EXPECT_EQ(from.GetAt(0).m_sFile, "b.wav");
    EXPECT_EQ(from.GetAt(1).m_sFile, "taken.wav") << "a name taken there stays here";
    ASSERT_EQ(target.Load(to + "index.dat"), 2);
    EXPECT_EQ(target.GetAt(0).m_sName, "a.wav");
    EXPECT_EQ(target.GetAt(0).m_sDate, "12/06/26");
    EXPECT_EQ(target.GetAt(1).m_sFile, "gone.wav");
    EXPECT_TRUE(std::filesystem::exists(to + "a.wav"));
    EXPECT_FALSE(std::filesystem::exists(Folder() + "a.wav"));
    EXPECT_EQ(home.Read("Recorded Calls/Family/taken.wav"), "someone else's");
    EXPECT_TRUE(std::filesystem::exists(Folder() + "taken.wav"));
}

} // namespace
