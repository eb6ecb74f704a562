// vorellad, the built service, on a simulated line, driven by the built
// vorellactl as people's scripts drive it: every external-control code,
// a call recorded from the command line, the exits, a second start and
// clients that misbehave.
#include "ChildProcess.h"
#include "ServiceMessage.h"
#include "SmallDisk.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include "../notify/ServerProcess.h"
#include "ModemSim.h"
#include "calllog/DataStructure.h"
#include "platform/FileUtil.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeFolder.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <regex>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

class VorelladTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f : {"vorella.def", "modem.ini", "brand.ini", "cfg/custom.cfg"})
            home.CopyShipped(f);
        modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For("hash");
        o.logFile = home.File("sim.log");
        sim = std::make_unique<modemsim::ModemSim>(o);
        std::string error;
        ASSERT_TRUE(sim->Start(&error)) << error;
        // Short timings and a quiet line: the service must not wait for a
        // real one, and a test machine has no sound card to ring.
        home.Write("vorella.ini", "[Options]\n"
                                  "nComPort=9\n"
                                  "bStartDisabled=0\n"
                                  "nDebugLevel=1\n"
                                  "dwTimeoutQuant=10\n"
                                  "dwTimeoutDefault=2000\n"
                                  "iPopup=0\n"
                                  "bSoftAGC=0\n"
                                  "bEMailCID=0\n"
                                  "[Sounds]\n"
                                  "sWaveRingIn=\n"
                                  "[Ports]\n"
                                  "COM9=" +
                                      sim->SlavePath() + "\n");
    }
    void TearDown() override {
        if (service.Pid() > 0) {
            service.Signal(SIGTERM);
            service.Wait(30000);
        }
    }

    void StartService(bool bWaitForModem = true) {
        ASSERT_TRUE(service.Launch({BuiltProgram("vorellad")}, home.File("vorellad.log")));
        // Up when it answers and its worker has the modem ready.
        ASSERT_TRUE(WaitUntil([&] { return Ctl({"status"}).nExit == 0; })) << Log();
        if (!bWaitForModem)
            return;
        ASSERT_TRUE(sim->WaitForCommand("CID=", 30000)) << Log() << home.Read("modem.log");
    }
    ProgramRun Ctl(std::vector<std::string> args) {
        args.insert(args.begin(), BuiltProgram("vorellactl"));
        return RunProgram(args);
    }
    std::string Log() { return home.Read("vorellad.log"); }
    bool Logged(const std::string& text) { return Log().find(text) != std::string::npos; }

    TempHome home;
    std::unique_ptr<modemsim::ModemSim> sim;
    BackgroundProgram service;
};

TEST_F(VorelladTest, RecordsACallStartedFromTheCommandLineAndQuitsCleanly) {
    modemsim::CallerId id;
    id.number = "5551234";
    id.name = "JOHN DOE";
    sim->SetCallerId(id, modemsim::CallerIdForm::Formatted);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 60000, 8000));
    StartService();
    EXPECT_EQ(Ctl({"status"}).out, "monitoring: on\ncall: none\n");

    sim->Ring(2, modemsim::RingCadence::Fast());
    ASSERT_TRUE(
        WaitUntil([&] { return Ctl({"status"}).out.find("call: active") != std::string::npos; }));
    ProgramRun r = Ctl({"record"});
    ASSERT_EQ(r.nExit, 0) << r.err;
    ASSERT_TRUE(sim->WaitForCommand("VRX", 30000)) << Log();

    // The file is named while it is being written.
    std::string file;
    ASSERT_TRUE(WaitUntil([&] {
        file = Ctl({"file"}).out;
        return file.find(".wav") != std::string::npos;
    }));
    file.pop_back();
    EXPECT_EQ(file.rfind(home.File("Recorded Calls/rec"), 0), 0u) << file;
    EXPECT_TRUE(WaitUntil([&] {
        return Ctl({"caller"}).out.find("JOHN DOE") != std::string::npos;
    })) << Ctl({"caller"}).out;

    SleepMs(1500); // some sound in the file
    EXPECT_EQ(Ctl({"stop"}).nExit, 0);
    ASSERT_TRUE(sim->WaitForReceiveEnd(30000));

    r = Ctl({"quit"});
    EXPECT_EQ(r.nExit, 0) << r.err;
    // The immediate exit: two quarter seconds and at most four seconds for
    // the line, then the shutdown's bounded waits (8 s for the port, 4 s
    // for the worker).
    EXPECT_EQ(service.Wait(30000), 0) << Log();
    EXPECT_EQ(Ctl({"status"}).nExit, 3) << "gone, socket and all";

    // A whole WAV file with its sound, and its line in the index.
    auto wav = ReadWholeFile(file, 1 << 24);
    ASSERT_TRUE(wav.has_value()) << file;
    EXPECT_GT(wav->size(), 44u + 8000u);
    EXPECT_EQ(wav->substr(0, 4), "RIFF");
    std::string index = home.Read("Recorded Calls/index.dat");
    EXPECT_NE(index.find(file.substr(file.rfind('/') + 1)), std::string::npos) << index;
    EXPECT_EQ(GetProfileIntFrom(home.File("vorella.ini"), "Startup", "bProperShutdown", -1), 0);
}

TEST_F(VorelladTest, EveryControlCodeReachesTheService) {
    StartService();
    {
        // A real WAV to play: made by the service's own format, a tone.
        std::string wav(44, '\0');
        auto put = [&](size_t at, uint32_t v, int n) {
            for (int i = 0; i < n; ++i)
                wav[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        const uint32_t samples = 8000;
        wav.replace(0, 4, "RIFF");
        put(4, 36 + samples * 2, 4);
        wav.replace(8, 8, "WAVEfmt ");
        put(16, 16, 4);
        put(20, 1, 2);
        put(22, 1, 2);
        put(24, 8000, 4);
        put(28, 16000, 4);
        put(32, 2, 2);
        put(34, 16, 2);
        wav.replace(36, 4, "data");
        put(40, samples * 2, 4);
        for (uint32_t i = 0; i < samples; ++i) {
            int16_t v = static_cast<int16_t>((i % 16 < 8) ? 6000 : -6000);
            wav.push_back(static_cast<char>(v & 0xFF));
            wav.push_back(static_cast<char>((v >> 8) & 0xFF));
        }
        home.Write("hello.wav", wav);
    }

    // 1 and 0: monitoring off closes the port, on opens it again.
    // The worker takes the request at its next step: the status follows.
    ASSERT_EQ(Ctl({"monitor", "off"}).nExit, 0);
    EXPECT_TRUE(WaitUntil([&] { return Ctl({"status"}).out == "monitoring: off\ncall: none\n"; }))
        << Ctl({"status"}).out;
    ASSERT_EQ(Ctl({"monitor", "on"}).nExit, 0);
    EXPECT_TRUE(WaitUntil([&] { return Ctl({"status"}).out == "monitoring: on\ncall: none\n"; }))
        << Ctl({"status"}).out;

    // 5 and 4: the caller fields, with a stranger's control characters kept
    // out of the service's log lines.
    ASSERT_EQ(
        Ctl({"caller", "--name", "Ann\nforged line", "--number", "555 0199", "--text", "call back"})
            .nExit,
        0);
    EXPECT_EQ(Ctl({"caller"}).out, "name: Ann\nforged line\nnumber: 555 0199\ntext: call back\n");
    EXPECT_FALSE(Logged("\nforged line"));

    // 9 and 6: the file name.
    ASSERT_EQ(Ctl({"file", "/calls/wanted.wav"}).nExit, 0);

    // 11: dial; the modem sees the number.
    sim->SetDialResult("VCON");
    ASSERT_EQ(Ctl({"dial", "5550123"}).nExit, 0);
    EXPECT_TRUE(sim->WaitForCommand("5550123", 30000)) << Log();
    EXPECT_EQ(Ctl({"hangup"}).nExit, 0); // 3 with parameter 2 = 0
    ASSERT_TRUE(WaitUntil([&] { return !sim->IsOffHook(); })) << Log();

    // 7: a file played through the line.
    ASSERT_TRUE(WaitUntil([&] { return Ctl({"status"}).out == "monitoring: on\ncall: none\n"; }));
    ASSERT_EQ(Ctl({"play", home.File("hello.wav")}).nExit, 0);
    EXPECT_TRUE(sim->WaitForCommand("VTX", 30000)) << Log() << home.Read("modem.log");
    EXPECT_TRUE(sim->WaitForTransmitEnd(30000));
    EXPECT_EQ(Ctl({"stop"}).nExit, 0); // 8

    // 12: dial and speak; after the seconds asked for, monitoring pauses.
    ASSERT_EQ(Ctl({"dial", "5550124", "--speak", "1"}).nExit, 0);
    EXPECT_TRUE(sim->WaitForCommand("5550124", 30000)) << Log();
    EXPECT_TRUE(WaitUntil([&] { return Ctl({"status"}).out.rfind("monitoring: off", 0) == 0; }))
        << Log();

    // 10: exit.
    EXPECT_EQ(Ctl({"quit"}).nExit, 0);
    EXPECT_EQ(service.Wait(30000), 0) << Log();
}

TEST_F(VorelladTest, HangingUpEndsAFaxHandOffAndMonitoringResumes) {
    // A fax program that only notes that it ran.
    const std::string script = home.File("fax.sh");
    home.Write("fax.sh", "#!/bin/sh\n: > \"$1\"\n");
    ::chmod(script.c_str(), 0755);
    const std::string ran = home.File("fax ran");
    const std::string ini = home.File("vorella.ini");
    WriteProfileIntTo(ini, "Options", "bFax", 1);
    WriteProfileStringTo(ini, "Options", "sFaxAppName", script);
    WriteProfileStringTo(ini, "Options", "sFaxParam", "\"" + ran + "\"");
    // Far longer than the test: only the hang-up can end the hand-off.
    WriteProfileIntTo(ini, "Options", "uiFaxSeconds", 3600);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 60000, 8000));
    StartService();

    sim->Ring(1, modemsim::RingCadence::Fast());
    ASSERT_TRUE(
        WaitUntil([&] { return Ctl({"status"}).out.find("call: active") != std::string::npos; }));
    sim->InjectEvent('c', 300); // the fax machine's calling tone while recording
    ASSERT_EQ(Ctl({"record"}).nExit, 0);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(ran); })) << Log();
    EXPECT_EQ(Ctl({"status"}).out.rfind("monitoring: off", 0), 0u)
        << "the line is the fax program's for now";

    ASSERT_EQ(Ctl({"hangup"}).nExit, 0);
    EXPECT_TRUE(WaitUntil([&] { return Ctl({"status"}).out.rfind("monitoring: on", 0) == 0; }))
        << Log();
    EXPECT_TRUE(sim->WaitForCommand("CID=", 30000)) << "the modem is ready for calls again";
    EXPECT_EQ(Ctl({"quit"}).nExit, 0);
    EXPECT_EQ(service.Wait(30000), 0) << Log();
}

TEST_F(VorelladTest, SecondStartEndsAtOnceAndSigtermLeavesInOrder) {
    StartService();
    ProgramRun second = RunProgram({BuiltProgram("vorellad")}, 30000);
    EXPECT_EQ(second.nExit, 0) << second.err;
    // Whoever started it learns why it ended at once.
    EXPECT_NE(second.err.find("Vorella is already running; asked it to show its main window."),
              std::string::npos)
        << second.err;
    EXPECT_TRUE(WaitUntil([&] { return Logged("main window requested"); })) << Log();
    // The running one still serves, on its own modem.
    EXPECT_EQ(Ctl({"status"}).nExit, 0);
    // It never got as far as the phone object: no modem trace of its own.
    EXPECT_EQ(second.err.find("started;"), std::string::npos) << second.err;

    // "quit" on a later start's command line, while a client vanishes
    // mid-request and others ask at the same time.
    {
        std::string error;
        const std::string path = ControlSocketPath(GetRuntimeFolder(&error));
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ASSERT_EQ(::send(fd, "ca", 2, MSG_NOSIGNAL), 2);
        ::close(fd);
    }
    std::vector<std::thread> clients;
    std::vector<int> codes(8, -1);
    for (int i = 0; i < 8; ++i)
        clients.emplace_back([&, i] { codes[i] = Ctl({"status"}).nExit; });
    for (std::thread& t : clients)
        t.join();
    for (int code : codes)
        EXPECT_EQ(code, 0);

    ASSERT_TRUE(service.Signal(SIGTERM));
    EXPECT_EQ(service.Wait(30000), 0) << Log();
    EXPECT_TRUE(Logged("terminating signal")) << Log();
    EXPECT_TRUE(Logged("monitoring paused")) << "the orderly exit pauses first";
    EXPECT_EQ(Ctl({"status"}).nExit, 3);
}

TEST_F(VorelladTest, StartDisabledLeavesTheModemAloneUntilMonitoringIsSwitchedOn) {
    WriteProfileIntTo(home.File("vorella.ini"), "Options", "bStartDisabled", 1);
    StartService(false);
    EXPECT_EQ(Ctl({"status"}).out, "monitoring: off\ncall: none\n");
    // The worker has had many quanta to open the port if it were going to.
    SleepMs(1000);
    EXPECT_TRUE(sim->ReceivedCommands().empty());
    ASSERT_EQ(Ctl({"monitor", "on"}).nExit, 0);
    EXPECT_TRUE(sim->WaitForCommand("CID=", 30000)) << Log();
    EXPECT_EQ(Ctl({"quit"}).nExit, 0);
    EXPECT_EQ(service.Wait(30000), 0) << Log();
}

// The settings saved at the end name the file that could not be written
// and why.
TEST_F(VorelladTest, SettingsThatCannotBeSavedAtTheEndAreNamedWithWhy) {
    WriteProfileIntTo(home.File("vorella.ini"), "Options", "bStartDisabled", 1);
    const std::string profile = home.File("cfg/custom.cfg");
    std::filesystem::remove(profile);
    std::filesystem::create_directories(profile);
    StartService(false);
    EXPECT_EQ(Ctl({"quit"}).nExit, 0);
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

// The log lines of the service, without their time stamps; every line must
// have one ("2026-12-07 14:03:59 vorellad: ").
std::vector<std::string> LogTexts(const std::string& log) {
    static const std::regex kStamp(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} vorellad: (.*)$)");
    std::vector<std::string> texts;
    std::istringstream in(log);
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_match(line, m, kStamp))
            texts.push_back(m[1]);
        else if (line.find("vorellad") != std::string::npos)
            texts.push_back("NO TIME STAMP: " + line);
    }
    return texts;
}

TEST_F(VorelladTest, LogTellsAWholeCallLineByLine) {
    // The answering machine takes the call at the second ring; the caller
    // speaks and hangs up after three seconds of message.
    WriteProfileIntTo(home.File("vorella.ini"), "Options", "nAction", 1);
    WriteProfileIntTo(home.File("vorella.ini"), "Options", "nRings", 2);
    modemsim::CallerId id;
    id.number = "5551234";
    id.name = "JOHN DOE";
    sim->SetCallerId(id, modemsim::CallerIdForm::Formatted);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 60000, 8000));
    StartService();
    EXPECT_TRUE(WaitUntil([&] {
        return Logged("modem port COM9 (" + sim->SlavePath() + ") open");
    })) << Log();

    sim->FarEndHangsUp(3000);
    sim->Ring(4, modemsim::RingCadence::Fast());
    ASSERT_TRUE(WaitUntil([&] { return Logged("call ended"); }, 60000)) << Log();

    const std::vector<std::string> texts = LogTexts(Log());
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
            return t.rfind(head, 0) == 0 && t.size() >= head.size() + tail.size() &&
                   t.compare(t.size() - tail.size(), tail.size(), tail) == 0;
        });
        ASSERT_NE(at, texts.end()) << "missing or out of order: " << head << "\n" << Log();
    }
    EXPECT_TRUE(FileExists(file)) << file;
    // What only a window shows stays out of the service's log.
    EXPECT_FALSE(Logged("timer ")) << Log();
    EXPECT_FALSE(Logged("title: ")) << Log();
}

// A greeting that cannot be played: the caller still leaves a message, and
// the log says which file failed and why.
// The same broken file as the ring sound: its failure is said once, not
// at every ring.
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
    WriteProfileIntTo(ini, "Options", "nAction", 1);
    WriteProfileIntTo(ini, "Options", "nRings", 2);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 60000, 8000));
    int nRow = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string greeting = home.File("greeting" + std::to_string(nRow++) + ".wav");
        row.make(greeting);
        WriteProfileStringTo(ini, "Sounds", "sWaveGreet", greeting);
        WriteProfileStringTo(ini, "Sounds", "sWaveRingIn", greeting);
        StartService();
        ASSERT_TRUE(WaitUntil([&] {
            return Logged("modem port COM9 (" + sim->SlavePath() + ") open");
        })) << Log();
        sim->FarEndHangsUp(2000);
        sim->Ring(4, modemsim::RingCadence::Fast());
        ASSERT_TRUE(WaitUntil([&] { return Logged("call ended"); }, 60000)) << Log();
        EXPECT_TRUE(Logged(greeting + row.said)) << Log();
        EXPECT_TRUE(Logged("message stored (")) << Log();
        const std::vector<std::string> texts = LogTexts(Log());
        EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                                [&](const std::string& t) {
                                    return t.starts_with("status: the ring is not played") &&
                                           t.find(greeting) != std::string::npos;
                                }),
                  1)
            << Log();
        ASSERT_TRUE(service.Signal(SIGTERM));
        ASSERT_EQ(service.Wait(30000), 0) << Log();
        std::filesystem::remove(home.File("vorellad.log"));
    }
}

// A modem that stops answering: the service says so once, not at each of
// the worker's retries.
TEST_F(VorelladTest, AModemThatStopsAnsweringIsToldOnce) {
    WriteProfileIntTo(home.File("vorella.ini"), "Options", "nAction", 1);
    WriteProfileIntTo(home.File("vorella.ini"), "Options", "nRings", 2);
    StartService();
    sim->SetMisbehaviour(modemsim::Misbehaviour::Silent);
    sim->Ring(2, modemsim::RingCadence::Fast());
    const std::string failed =
        "Your modem could not execute a command s.\\x0D\\x0AInitialization failed.";
    ASSERT_TRUE(WaitUntil([&] { return Logged("message [error]: " + failed); }, 60000)) << Log();
    // Two retries more, each in the trace only.
    auto retries = [&] {
        const std::string trace = home.Read("modem.log");
        size_t n = 0;
        for (size_t at = trace.find("(again)"); at != std::string::npos;
             at = trace.find("(again)", at + 1))
            ++n;
        return n;
    };
    ASSERT_TRUE(WaitUntil([&] { return retries() >= 2; }, 60000)) << Log();
    const std::vector<std::string> texts = LogTexts(Log());
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "message [error]: " + failed), 1) << Log();
}

// A notice the server has not taken when the service ends (none answers,
// or one holds the dialogue without end) stays in Outbox/ and goes with
// the next run; the end does not wait for the server.
TEST_F(VorelladTest, AMailNoticeNotTakenBeforeTheEndIsDeliveredByTheNextRun) {
    struct Case {
        const char* server; // bad_smtp_server.py's mode, "" none
        const char* logged; // when the first run has tried
    } cases[] = {
        {"", "mail notice to owner@example.com not sent: cannot connect to 127.0.0.1"},
        {"hang", "mail notice to owner@example.com not sent before the end; kept as "},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.server);
        const std::string marker = home.File(std::string("connected-") + k.server);
        std::unique_ptr<ServerProcess> bad;
        if (*k.server)
            bad = std::make_unique<ServerProcess>(std::vector<std::string>{
                "/usr/bin/python3", SourceFile("tests/integration/notify/bad_smtp_server.py"),
                k.server, marker});
        const std::string ini = home.File("vorella.ini");
        WriteProfileIntTo(ini, "Options", "nAction", 1);
        WriteProfileIntTo(ini, "Options", "nRings", 2);
        WriteProfileIntTo(ini, "Options", "bEMailCID", 2);
        WriteProfileStringTo(ini, "Options", "m_sSmtp", "127.0.0.1");
        WriteProfileIntTo(ini, "Options", "m_nSmtpPort", bad ? bad->Port() : FreePort());
        WriteProfileStringTo(ini, "Options", "m_sRecipsAdderss", "owner@example.com");
        sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 60000, 8000));
        std::filesystem::remove(home.File("vorellad.log")); // each run's log of its own
        StartService();
        sim->FarEndHangsUp(2000);
        sim->Ring(4, modemsim::RingCadence::Fast());
        if (bad) {
            ASSERT_TRUE(WaitUntil([&] { return FileExists(marker); }, 120000)) << Log();
        } else {
            ASSERT_TRUE(WaitUntil([&] { return Logged(k.logged); }, 120000)) << Log();
        }
        ASSERT_TRUE(service.Signal(SIGTERM));
        ASSERT_EQ(service.Wait(30000), 0) << Log();
        EXPECT_TRUE(Logged(k.logged)) << Log();
        EXPECT_FALSE(Logged("did not stop in time")) << Log();
        std::vector<std::string> spooled;
        for (const auto& e : std::filesystem::directory_iterator(home.File("Outbox")))
            spooled.push_back(e.path().filename().string());
        ASSERT_EQ(spooled.size(), 1u);
        EXPECT_EQ(spooled[0].rfind("rec", 0), 0u) << spooled[0];

        const std::string inbox = home.File(std::string("inbox-") + k.server + "/");
        std::filesystem::create_directories(inbox);
        const int port = FreePort();
        WriteProfileIntTo(ini, "Options", "m_nSmtpPort", port);
        ServerProcess server({"/usr/bin/python3",
                              SourceFile("tests/integration/notify/smtp_server.py"), "--folder",
                              inbox, "--port", std::to_string(port)});
        std::filesystem::remove(home.File("vorellad.log"));
        StartService();
        EXPECT_TRUE(WaitUntil([&] { return Logged("mail notice to owner@example.com delivered"); }))
            << Log();
        EXPECT_TRUE(FileExists(inbox + "msg1.eml"));
        EXPECT_TRUE(std::filesystem::is_empty(home.File("Outbox")));
        ASSERT_TRUE(service.Signal(SIGTERM));
        ASSERT_EQ(service.Wait(30000), 0) << Log();
    }
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
    WriteProfileIntTo(home.File("vorella.ini"), "Options", "nAction", 1);
    WriteProfileIntTo(home.File("vorella.ini"), "Options", "nRings", 2);
    WriteProfileIntTo(home.File("vorella.ini"), "Options", "nMinFreeSeconds", 3);
    WriteProfileStringTo(home.File("vorella.ini"), "Options", "sPath", data);
    modemsim::CallerId id;
    id.number = "5551234";
    sim->SetCallerId(id, modemsim::CallerIdForm::Formatted);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 60000, 8000));
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
    const std::string after = Log();
    EXPECT_EQ(after.find("messages are not taken"), after.rfind("messages are not taken")) << after;
    EXPECT_EQ(after.find("message started"), after.rfind("message started")) << after;
}

TEST_F(VorelladTest, LogSaysWhenThePortIsMissingGoneAndBack) {
    const std::string port = home.File("ttyLATE");
    WriteProfileStringTo(home.File("vorella.ini"), "Ports", "COM9", port);
    StartService(false);
    const std::string device = "COM9 (" + port + ")";
    ASSERT_TRUE(WaitUntil([&] {
        return Logged("cannot open the modem port " + device +
                      ": No such file or directory; trying again");
    })) << Log();

    // The modem appears on that path: the service finds it.
    modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For("hash");
    o.linkPath = port;
    modemsim::ModemSim late(o);
    std::string error;
    ASSERT_TRUE(late.Start(&error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return Logged("modem port " + device + " is back"); })) << Log();
    ASSERT_TRUE(late.WaitForCommand("CID=", 30000)) << Log();

    // And it goes away (its program ended, the link with it): said once,
    // then the retries are quiet.
    late.Stop();
    ASSERT_TRUE(WaitUntil([&] { return Logged("modem port " + device + " lost"); })) << Log();
    auto cannotOpen = [&] {
        const std::vector<std::string> texts = LogTexts(Log());
        return std::count_if(texts.begin(), texts.end(), [](const std::string& t) {
            return t.rfind("cannot open the modem port", 0) == 0;
        });
    };
    ASSERT_TRUE(WaitUntil([&] { return cannotOpen() == 2; })) << Log();
    EXPECT_EQ(Ctl({"quit"}).nExit, 0);
    EXPECT_EQ(service.Wait(30000), 0) << Log();
    EXPECT_EQ(cannotOpen(), 2) << "once for each time it went missing\n" << Log();
}

TEST_F(VorelladTest, QuitWordOnALaterStartEndsTheService) {
    StartService();
    ProgramRun quit = RunProgram({BuiltProgram("vorellad"), "quit"}, 30000);
    EXPECT_EQ(quit.nExit, 0) << quit.err;
    EXPECT_EQ(service.Wait(30000), 0) << Log();
}

} // namespace
