// vorellad, the built service, on a simulated modem, driven by the built
// vorellactl as people's scripts drive it: every external-control code,
// the exits, a second start, and what its log tells of calls and failures.
// A call recorded from the command line: the install test, on the
// installed programs.
#include "ChildProcess.h"
#include "HttpClient.h"
#include "ServiceMessage.h"
#include "ServiceTest.h"
#include "SmallDisk.h"

#include "calllog/DataStructure.h"
#include "platform/FileUtil.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <sys/stat.h>
#include <thread>

namespace {

// What the service may grow by while fifty pages follow a call and the call
// list is served over a thousand times (about 9 MiB measured).
constexpr long kLoadMemoryBoundKiB = 32 * 1024;

class VorelladTest : public ServiceTest {
protected:
    void SetUp() override { UseModem("hash", "nComPort=9\n"); }
    bool WaitForPortOpen() {
        return WaitUntil([&] { return Logged("modem port COM9 (" + sim->SlavePath() + ") open"); });
    }
};

TEST_F(VorelladTest, EveryControlCodeReachesTheService) {
    StartService();
    const std::string wav = MakeTone("hello.wav", 1);

    // 1 and 0: monitoring off closes the port, on opens it again.
    // The worker takes the request at its next step: the status follows.
    ASSERT_EQ(Ctl({"monitor", "off"}).nExit, 0);
    EXPECT_TRUE(StatusBecomes("monitoring: off\ncall: none\n")) << Ctl({"status"}).out;
    ASSERT_EQ(Ctl({"monitor", "on"}).nExit, 0);
    EXPECT_TRUE(StatusBecomes("monitoring: on\ncall: none\n")) << Ctl({"status"}).out;

    // 5 and 4: the caller fields, fields not given kept, text that would
    // mean something to a shell just text, and a stranger's control
    // characters kept out of the service's log lines.
    const std::string name = "O'Brien; $(reboot)\nforged line";
    ASSERT_EQ(Ctl({"caller", "--name", name, "--number", "555 0199", "--text", "back"}).nExit, 0);
    ASSERT_EQ(Ctl({"caller", "--number", "+44 20"}).nExit, 0);
    EXPECT_EQ(Ctl({"caller"}).out, "name: " + name + "\nnumber: +44 20\ntext: back\n");
    EXPECT_FALSE(Logged("\nforged line"));

    // 9: the file name (6, the file read, while recording); the main window.
    ASSERT_EQ(Ctl({"file", "/calls/wanted.wav"}).nExit, 0);
    ASSERT_EQ(Ctl({"show"}).nExit, 0);
    EXPECT_TRUE(WaitUntil([&] { return Logged("main window requested"); })) << Log();

    // 11: dial; the modem sees the number.
    sim->SetDialResult("VCON");
    ASSERT_EQ(Ctl({"dial", "5550123"}).nExit, 0);
    EXPECT_TRUE(sim->WaitForCommand("5550123", 30000)) << Log();
    EXPECT_EQ(Ctl({"hangup"}).nExit, 0); // 3 with parameter 2 = 0
    ASSERT_TRUE(WaitUntil([&] { return !sim->IsOffHook(); })) << Log();

    // 7: a file played through the line.
    ASSERT_TRUE(StatusBecomes("monitoring: on\ncall: none\n"));
    ASSERT_EQ(Ctl({"play", wav}).nExit, 0);
    EXPECT_TRUE(sim->WaitForCommand("VTX", 30000)) << Log() << home.Read("modem.log");
    EXPECT_TRUE(sim->WaitForTransmitEnd(30000));
    EXPECT_EQ(Ctl({"stop"}).nExit, 0); // 8

    // 12: dial and speak; after the seconds asked for, monitoring pauses.
    ASSERT_EQ(Ctl({"dial", "5550124", "--speak", "1"}).nExit, 0);
    EXPECT_TRUE(sim->WaitForCommand("5550124", 30000)) << Log() << home.Read("modem.log");
    EXPECT_TRUE(StatusBecomes("monitoring: off")) << Log();

    // 14 and 15: a modem does not talk at the PC, and says so.
    for (const std::vector<std::string>& talk : {std::vector<std::string>{"answer"}, {"talk"}}) {
        ProgramRun r = Ctl(talk);
        EXPECT_EQ(r.nExit, 1) << talk[0];
        EXPECT_NE(r.err.find("cannot talk at the PC"), std::string::npos) << r.err;
    }

    // 16 and 17: no caller yet to block; a number blocked, another let
    // through, as vorella-tool sees the contacts file; screening paused and
    // on again, stored in the settings.
    ProgramRun r = Ctl({"block"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.err, "vorellactl: No caller with a number to block\n");
    EXPECT_EQ(Ctl({"block", "5550177"}).nExit, 0) << Log();
    EXPECT_EQ(Ctl({"permit", "+44 20 7946 0018"}).nExit, 0) << Log();
    const std::string contacts = RunProgram({BuiltProgram("vorella-tool"), "contacts", "list"}).out;
    EXPECT_NE(contacts.find("\tblock\t5550177"), std::string::npos) << contacts;
    EXPECT_NE(contacts.find("\tpermit\t+44 20 7946 0018"), std::string::npos) << contacts;
    for (const auto& [word, paused] : {std::pair{"off", 1}, std::pair{"on", 0}}) {
        EXPECT_EQ(Ctl({"screening", word}).nExit, 0) << Log();
        EXPECT_EQ(Ctl({"screening"}).out, paused ? "screening: paused\n" : "screening: on\n");
        EXPECT_EQ(GetProfileIntFrom(home.File("vorella.ini"), "Options", "bScreeningPaused", -1),
                  paused);
    }
    EXPECT_EQ(Quit(), 0) << Log(); // 10
}

// A second start hands over and ends at once; hanging up ends a fax hand-off
// and monitoring resumes; SIGTERM ends the service in order.
TEST_F(VorelladTest, ASecondStartHandsOverAndHangingUpEndsAFaxHandOff) {
    // A fax program that only notes that it ran.
    const std::string script = home.File("fax.sh");
    home.Write("fax.sh", "#!/bin/sh\n: > \"$1\"\n");
    ::chmod(script.c_str(), 0755);
    const std::string ran = home.File("fax ran");
    SetOption("bFax", 1);
    SetOption("sFaxAppName", script);
    SetOption("sFaxParam", "\"" + ran + "\"");
    // Far longer than the test: only the hang-up can end the hand-off.
    SetOption("uiFaxSeconds", 3600);
    CallerSpeaks();
    StartService();
    ProgramRun second = RunProgram({BuiltProgram("vorellad")}, 30000);
    EXPECT_EQ(second.nExit, 0) << second.err;
    // Whoever started it learns why it ended at once.
    EXPECT_NE(second.err.find("Vorella is already running; asked it to show its main window."),
              std::string::npos)
        << second.err;
    EXPECT_TRUE(WaitUntil([&] { return Logged("main window requested"); })) << Log();
    // It never got as far as the phone object: no modem trace of its own,
    // and the running one's trace is kept.
    EXPECT_EQ(second.err.find("started;"), std::string::npos) << second.err;
    EXPECT_TRUE(FileExists(home.File("modem.log")));

    sim->Ring(1, modemsim::RingCadence::Fast());
    ASSERT_TRUE(StatusBecomes("monitoring: on\ncall: active"));
    sim->InjectEvent('c', 300); // the fax machine's calling tone while recording
    ASSERT_EQ(Ctl({"record"}).nExit, 0);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(ran); })) << Log();
    EXPECT_EQ(Ctl({"status"}).out.rfind("monitoring: off", 0), 0u)
        << "the line is the fax program's for now";

    ASSERT_EQ(Ctl({"hangup"}).nExit, 0);
    EXPECT_TRUE(StatusBecomes("monitoring: on")) << Log();
    EXPECT_TRUE(sim->WaitForCommand("CID=", 30000)) << "the modem is ready for calls again";
    EXPECT_EQ(Terminate(), 0) << Log();
    EXPECT_TRUE(Logged("terminating signal")) << Log();
    EXPECT_TRUE(Logged("monitoring paused")) << "the orderly exit pauses first";
    EXPECT_EQ(Ctl({"status"}).nExit, 3);
}

// A web page that cannot start (its certificate unreadable) is told once,
// and the line works on. (The page's login and its switches reaching the
// line: the browser story.)
TEST_F(VorelladTest, AWebPageThatCannotStartIsToldOnceAndTheLineWorksOn) {
    EnableWebPage(FreePort(), "a good password");
    home.Write("broken.pem", "not a certificate");
    WriteProfileIntTo(home.File("vorella.ini"), "Web", "nHttps", 1);
    WriteProfileStringTo(home.File("vorella.ini"), "Web", "sCertFile", home.File("broken.pem"));
    WriteProfileStringTo(home.File("vorella.ini"), "Web", "sKeyFile", home.File("broken.pem"));
    StartService(); // the modem is set up for calls all the same
    EXPECT_TRUE(WaitUntil([&] { return LinesStartingWith("web page not started: ") == 1; })) << Log();
    EXPECT_TRUE(StatusBecomes("monitoring: on")) << Log();
}

// Fifty open pages following the line and the call list asked for again
// and again while a message is recorded: the message is whole, every page
// is told its caller, every list is served, and the service's memory stays
// within a bound.
TEST_F(VorelladTest, AMessageIsRecordedWholeWhileFiftyPagesFollowTheLine) {
    const int port = FreePort();
    EnableWebPage(port, "a good password");
    AnswerAtRing2();
    CallerSpeaks("5551234", "JOHN DOE");
    // The address sanitizer keeps freed memory a while (256 MB by default);
    // with none kept, the resident set is what the service holds.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    const std::string kept = sanitizer ? sanitizer : "";
    setenv("ASAN_OPTIONS", (kept + (kept.empty() ? "" : ":") + "quarantine_size_mb=0").c_str(), 1);
    StartService();
    if (sanitizer)
        setenv("ASAN_OPTIONS", kept.c_str(), 1);
    else
        unsetenv("ASAN_OPTIONS");
    ASSERT_TRUE(WaitForPortOpen()) << Log();
    const std::string cookie = WebSession(port, "a+good+password");
    ASSERT_FALSE(cookie.empty()) << Log();
    const long before = ServiceResidentKiB();
    std::vector<int> streams;
    for (int i = 0; i < 50; ++i) {
        // Each from its own address, as fifty browsers would be.
        const std::string source = "127.0.1." + std::to_string(i + 1);
        streams.push_back(HttpSend(port, "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: " +
                                             cookie + "\r\n\r\n", source.c_str()));
        ASSERT_NE(HttpReadUntil(streams.back(), "\r\n\r\n").find("text/event-stream"),
                  std::string::npos) << i;
    }
    std::atomic<bool> stop{false};
    std::atomic<int> served{0}, refused{0};
    std::thread lister([&] {
        while (!stop)
            ++(HttpRequestTo(port, "GET", "/calls", cookie).nStatus == 200 ? served : refused);
    });
    sim->FarEndHangsUp(3000);
    sim->Ring(4, modemsim::RingCadence::Fast());
    const bool bEnded = WaitUntil([&] { return Logged("call ended"); }, 60000);
    stop = true;
    lister.join();
    ASSERT_TRUE(bEnded) << Log();
    for (int fd : streams) {
        EXPECT_NE(HttpReadUntil(fd, "JOHN DOE").find("JOHN DOE"), std::string::npos);
        close(fd);
    }
    EXPECT_GT(served.load(), 0);
    EXPECT_EQ(refused.load(), 0);
    ExpectStoredMessage(home, Log(), "1234", 2);
    const long grown = ServiceResidentKiB() - before;
    std::cout << "[ NOTE ] the service grew by " << grown << " KiB with 50 streams and "
              << served << " lists\n";
    EXPECT_LT(grown, kLoadMemoryBoundKiB);
}

// Started disabled, the modem is left alone until monitoring is switched
// on; "quit" on a later start's command line ends it, and the settings
// saved at the end name the file that could not be written and why.
TEST_F(VorelladTest, StartDisabledLeavesTheModemAloneAndTheQuitWordEndsIt) {
    SetOption("bStartDisabled", 1);
    const std::string profile = home.File("cfg/custom.cfg");
    std::filesystem::remove(profile);
    std::filesystem::create_directories(profile);
    StartService(false);
    EXPECT_EQ(Ctl({"status"}).out, "monitoring: off\ncall: none\n");
    // The worker has had many quanta to open the port if it were going to.
    SleepMs(1000);
    EXPECT_TRUE(sim->ReceivedCommands().empty());
    ASSERT_EQ(Ctl({"monitor", "on"}).nExit, 0);
    EXPECT_TRUE(sim->WaitForCommand("CID=", 30000)) << Log();

    ProgramRun quit = RunProgram({BuiltProgram("vorellad"), "quit"}, 30000);
    EXPECT_EQ(quit.nExit, 0) << quit.err;
    EXPECT_EQ(service.Wait(30000), 0) << Log();
    EXPECT_TRUE(Logged("The settings could not be saved: " + profile + ": Is a directory"))
        << Log();
}

TEST_F(VorelladTest, HelpWordsPrintTheParametersOnTheTerminal) {
    for (const char* word : {"help", "?", "/?"}) {
        ProgramRun help = RunProgram({BuiltProgram("vorellad"), word}, 30000);
        EXPECT_EQ(help.nExit, 0) << word;
        // A carriage return would make a terminal write the lines over each other.
        EXPECT_EQ(help.out, "Parameters:\n\n/h or /?\t\tThis help\nQuit or Exit\tTerminates "
                            "loaded copy, if running\n")
            << word;
        EXPECT_EQ(help.err.find("started"), std::string::npos) << help.err;
    }
}

TEST_F(VorelladTest, LogTellsAWholeCallLineByLineAndAModemThatStopsAnsweringOnce) {
    // The answering machine takes the call at the second ring; the caller
    // speaks and hangs up after three seconds of message.
    AnswerAtRing2();
    CallerSpeaks("5551234", "JOHN DOE");
    StartService();
    EXPECT_TRUE(WaitForPortOpen()) << Log();

    sim->FarEndHangsUp(3000);
    sim->Ring(4, modemsim::RingCadence::Fast());
    ASSERT_TRUE(WaitUntil([&] { return Logged("call ended"); }, 60000)) << Log();

    const std::vector<std::string> texts = LogTexts();
    for (const std::string& t : texts)
        EXPECT_EQ(t.find("NO TIME STAMP"), std::string::npos) << t;
    // The call's lines in their order; others (status texts) may come between.
    std::string file;
    for (const std::string& t : texts)
        if (t.rfind("message started: ", 0) == 0)
            file = t.substr(std::strlen("message started: "));
    EXPECT_EQ(file.rfind(home.File("Recorded Calls/rec"), 0), 0u) << Log();
    // Each wanted line by its beginning and end (the message's length in
    // seconds depends on the moment the far end hung up).
    const std::vector<std::pair<std::string, std::string>> wanted = {
        {"ring 1", ""},
        {"caller: name \"JOHN DOE\", number \"555-1234\"", ""},
        {"ring 2", ""},
        {"answered at ring 2", ""},
        {"message started: " + file, ""},
        {"message stored (", " s): " + file},
        {"call ended (2 rings, answered)", ""},
    };
    auto at = texts.begin();
    for (const auto& [head, tail] : wanted) {
        at = std::find_if(at, texts.end(), [&](const std::string& t) {
            return t.starts_with(head) && t.size() >= head.size() + tail.size() &&
                   t.ends_with(tail);
        });
        ASSERT_NE(at, texts.end()) << "missing or out of order: " << head << "\n" << Log();
    }
    EXPECT_TRUE(FileExists(file)) << file;
    // What only a window shows stays out of the service's log.
    EXPECT_FALSE(Logged("timer ")) << Log();
    EXPECT_FALSE(Logged("title: ")) << Log();

    // A modem that stops answering: the service says so once, not at the
    // worker's retries (in the trace only); opened afresh and still silent,
    // it pauses monitoring, said in a line of its own.
    sim->SetMisbehaviour(modemsim::Misbehaviour::Silent);
    sim->Ring(2, modemsim::RingCadence::Fast());
    const std::string failed = "message [error]: Your modem could not execute a command "
                               "s.\\x0D\\x0AInitialization failed.";
    ASSERT_TRUE(WaitUntil([&] { return Logged("set-up; monitoring paused"); }, 60000)) << Log();
    EXPECT_GE(Occurrences(home.Read("modem.log"), "(again)"), 1u) << Log();
    EXPECT_EQ(LinesStartingWith(failed), 1) << Log();

    // The caller just heard is the one "block" takes, by the name the
    // network sent; the log says so.
    EXPECT_EQ(Ctl({"block"}).nExit, 0) << Log();
    EXPECT_TRUE(Logged("1234 (JOHN DOE) is blocked")) << Log();
}

// A greeting that cannot be played: the caller still leaves a message, and
// the log says which file failed and why. The same broken file as the ring
// sound: its failure is said once, not at every ring.
TEST_F(VorelladTest, AGreetingThatCannotBePlayedIsSaidAndTheMessageTaken) {
    struct Row {
        const char* name;
        std::function<void(const std::string& path)> make;
        std::string said; // after the path
    };
    const std::vector<Row> rows = {
        {"missing", [](const std::string&) {}, ": No such file or directory"},
        {"a folder", [](const std::string& p) { std::filesystem::create_directories(p); },
         ": is a folder"},
        {"not a WAV file",
         [](const std::string& p) { WriteFileAtomic(p, "Hello, no sound here.\n"); },
         ": not a RIFF WAVE file"},
    };
    const std::string ini = home.File("vorella.ini");
    AnswerAtRing2();
    CallerSpeaks();
    int nRow = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string greeting = home.File("greeting" + std::to_string(nRow++) + ".wav");
        row.make(greeting);
        WriteProfileStringTo(ini, "Sounds", "sWaveGreet", greeting);
        WriteProfileStringTo(ini, "Sounds", "sWaveRingIn", greeting);
        StartService();
        ASSERT_TRUE(WaitForPortOpen()) << Log();
        sim->FarEndHangsUp(2000);
        sim->Ring(4, modemsim::RingCadence::Fast());
        ASSERT_TRUE(WaitUntil([&] { return Logged("call ended"); }, 60000)) << Log();
        EXPECT_TRUE(Logged(greeting + row.said)) << Log();
        EXPECT_TRUE(Logged("message stored (")) << Log();
        const std::vector<std::string> texts = LogTexts();
        EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                                [&](const std::string& t) {
                                    return t.starts_with("status: the ring is not played") &&
                                           t.find(greeting) != std::string::npos;
                                }),
                  1)
            << Log();
        ASSERT_EQ(Terminate(), 0) << Log();
        std::filesystem::remove(home.File("vorellad.log"));
    }
}

// A notice the server has not taken when the service ends (one holds the
// dialogue without end) stays in Outbox/ and goes with the next run; the
// end does not wait for the server.
TEST_F(VorelladTest, AMailNoticeNotTakenBeforeTheEndIsDeliveredByTheNextRun) {
    AnswerAtRing2();
    CallerSpeaks();
    const std::string marker = home.File("connected");
    ServerProcess bad({"/usr/bin/python3", SourceFile("tests/integration/notify/bad_smtp_server.py"),
                       "hang", marker});
    MailTo(bad.Port());
    StartService();
    sim->FarEndHangsUp(2000);
    sim->Ring(4, modemsim::RingCadence::Fast());
    ASSERT_TRUE(WaitUntil([&] { return FileExists(marker); }, 120000)) << Log();
    ASSERT_EQ(Terminate(), 0) << Log();
    EXPECT_TRUE(Logged("mail notice to owner@example.com not sent before the end; kept as "))
        << Log();
    EXPECT_FALSE(Logged("did not stop in time")) << Log();
    std::vector<std::string> spooled;
    for (const auto& e : std::filesystem::directory_iterator(home.File("Outbox")))
        spooled.push_back(e.path().filename().string());
    ASSERT_EQ(spooled.size(), 1u);
    EXPECT_EQ(spooled[0].rfind("rec", 0), 0u) << spooled[0];

    const std::string inbox = home.File("inbox/");
    std::filesystem::create_directories(inbox);
    const int port = FreePort();
    SetOption("m_nSmtpPort", port);
    ServerProcess server({"/usr/bin/python3", SourceFile("tests/integration/notify/smtp_server.py"),
                          "--folder", inbox, "--port", std::to_string(port)});
    std::filesystem::remove(home.File("vorellad.log")); // the next run's log of its own
    StartService();
    EXPECT_TRUE(WaitUntil([&] { return Logged("mail notice to owner@example.com delivered"); }))
        << Log();
    EXPECT_TRUE(FileExists(inbox + "msg1.eml"));
    EXPECT_TRUE(std::filesystem::is_empty(home.File("Outbox")));
}

// A message longer than the disk holds is cut where the disk is full: its
// file ends in whole samples that the header counts, its index line has the
// length it holds, and the log says what happened. Then the machine takes
// no message it has no room for, and says so once.
TEST_F(VorelladTest, AFullDiskCutsTheMessageAndSaysSo) {
    const std::string data = home.File("small/");
    SmallDisk disk(data, 128 * 1024);
    if (!disk.Mounted())
        std::cout << "[ NOTE ] cannot mount a tmpfs here: a file-size limit stands in for the "
                     "full disk\n";
    AnswerAtRing2();
    SetOption("nMinFreeSeconds", 3);
    SetOption("sPath", data);
    CallerSpeaks("5551234");
    ASSERT_TRUE(disk.Launch(service, {BuiltProgram("vorellad")}, home.File("vorellad.log")));
    ASSERT_TRUE(WaitUntil([&] { return Ctl({"status"}).nExit == 0; })) << Log();
    ASSERT_TRUE(sim->WaitForCommand("CID=", 30000)) << Log();

    sim->Ring(3, modemsim::RingCadence::Fast());
    ASSERT_TRUE(WaitUntil([&] { return FindStoredMessage(Log()).has_value(); }, 90000)) << Log();
    ExpectMessageCutWhereTheDiskFilled(Log(), data + "Recorded Calls/index.dat", "1234");
    if (HasFatalFailure() || !disk.Mounted())
        return; // a file-size limit leaves the disk itself with room
    // The next call rings on: no room for a message, said once.
    ASSERT_TRUE(WaitUntil([&] { return Logged("call ended"); }, 60000)) << Log();
    sim->Ring(4, modemsim::RingCadence::Fast());
    ASSERT_TRUE(WaitUntil([&] { return Logged("messages are not taken"); }, 60000)) << Log();
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::string l = Log();
            return l.find("call ended", l.find("messages are not taken")) != std::string::npos;
        },
        60000))
        << Log();
    CDataStructureArray index;
    EXPECT_EQ(index.Load(data + "Recorded Calls/index.dat"), 1);
    EXPECT_EQ(Occurrences(Log(), "messages are not taken"), 1u) << Log();
    EXPECT_EQ(Occurrences(Log(), "message started"), 1u) << Log();
}

// The port missing at the start, appearing, and going away: said once each
// time, the retries quiet.
TEST_F(VorelladTest, LogSaysWhenThePortIsMissingGoneAndBack) {
    const std::string port = home.File("ttyLATE");
    WriteProfileStringTo(home.File("vorella.ini"), "Ports", "COM9", port);
    StartService(false);
    const std::string device = "COM9 (" + port + ")";
    ASSERT_TRUE(WaitUntil([&] {
        return Logged("cannot open the modem port " + device +
                      ": No such file or directory; trying again");
    })) << Log();

    modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For("hash");
    o.linkPath = port;
    modemsim::ModemSim late(o);
    std::string error;
    ASSERT_TRUE(late.Start(&error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return Logged("modem port " + device + " is back"); })) << Log();
    ASSERT_TRUE(late.WaitForCommand("CID=", 30000)) << Log();

    late.Stop(); // its program ended, the link with it
    ASSERT_TRUE(WaitUntil([&] { return Logged("modem port " + device + " lost"); })) << Log();
    const std::string cannotOpen = "cannot open the modem port";
    ASSERT_TRUE(WaitUntil([&] { return LinesStartingWith(cannotOpen) == 2; })) << Log();
    EXPECT_EQ(Quit(), 0) << Log();
    EXPECT_EQ(LinesStartingWith(cannotOpen), 2) << "once for each time it went missing\n" << Log();
}

} // namespace
