// vorellactl, the built program, against a running instance started by the
// test: every command code, its errors, and clients that misbehave.
#include "ChildProcess.h"
#include "TempHome.h"

#include "app/CommBlock.h"
#include "platform/ControlSocket.h"
#include "platform/RuntimeFolder.h"
#include "platform/SharedMemory.h"
#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

class VorellactlTest : public ::testing::Test {
protected:
    void StartServer(BackgroundProgram& server, const std::string& log,
                     std::vector<std::string> words = {}) {
        std::vector<std::string> argv = {BuiltProgram("control_test_server"), home.File(log)};
        argv.insert(argv.end(), words.begin(), words.end());
        std::string line;
        ASSERT_TRUE(server.Start(argv, &line)) << line;
        ASSERT_EQ(line, "ready");
    }
    ProgramRun Ctl(std::vector<std::string> args) {
        args.insert(args.begin(), BuiltProgram("vorellactl"));
        return RunProgram(args);
    }
    std::vector<std::string> Log(const std::string& name = "server.log") {
        std::vector<std::string> lines = SplitKeepEmpty(home.Read(name), '\n');
        if (!lines.empty() && lines.back().empty())
            lines.pop_back();
        return lines;
    }

    TempHome home;
};

TEST_F(VorellactlTest, EveryCommandReachesTheRunningInstance) {
    BackgroundProgram server;
    StartServer(server, "server.log");
    home.Write("greeting.wav", "RIFF");

    ProgramRun r = Ctl({"status"}); // codes 0 and 2
    ASSERT_EQ(r.nExit, 0) << r.err;
    EXPECT_EQ(r.out, "monitoring: on\ncall: none\n");
    EXPECT_EQ(Ctl({"monitor", "off"}).nExit, 0); // 1
    EXPECT_EQ(Ctl({"status"}).out, "monitoring: off\ncall: none\n");
    EXPECT_EQ(Ctl({"monitor", "on"}).nExit, 0);
    EXPECT_EQ(Ctl({"record"}).nExit, 0); // 3 (record)
    EXPECT_EQ(Ctl({"status"}).out, "monitoring: on\ncall: active\n");
    EXPECT_EQ(Ctl({"hangup"}).nExit, 0); // 3 (stop the call)
    EXPECT_EQ(Ctl({"stop"}).nExit, 0);   // 8

    r = Ctl({"caller"}); // 4
    EXPECT_EQ(r.out, "name: Initial Name\nnumber: 5550100\ntext: initial text\n");
    // 5: fields not given are kept; text that would mean something to a shell is just text.
    EXPECT_EQ(Ctl({"caller", "--name", "O'Brien; $(reboot)"}).nExit, 0);
    EXPECT_EQ(Ctl({"caller", "--number", "+44 20", "--text", "back at 5"}).nExit, 0);
    EXPECT_EQ(Ctl({"caller"}).out, "name: O'Brien; $(reboot)\nnumber: +44 20\ntext: back at 5\n");

    EXPECT_EQ(Ctl({"file"}).out, "/calls/initial.wav\n");    // 6
    EXPECT_EQ(Ctl({"file", "/calls/rec new.wav"}).nExit, 0); // 9
    EXPECT_EQ(Ctl({"file"}).out, "/calls/rec new.wav\n");
    EXPECT_EQ(Ctl({"play", home.File("greeting.wav")}).nExit, 0);  // 7
    EXPECT_EQ(Ctl({"dial", "5550199"}).nExit, 0);                  // 11
    EXPECT_EQ(Ctl({"dial", "5550199", "--speak", "15"}).nExit, 0); // 12
    EXPECT_EQ(Ctl({"show"}).nExit, 0);
    r = Ctl({"quit"}); // 10
    EXPECT_EQ(r.nExit, 0) << r.err;
    EXPECT_EQ(server.Wait(), 0);

    EXPECT_EQ(Log(), (std::vector<std::string>{
                         "serving", "monitor off", "monitor on", "record", "stop call",
                         "stop recording", "caller O'Brien; $(reboot)|5550100|initial text",
                         "caller O'Brien; $(reboot)|+44 20|back at 5", "file /calls/rec new.wav",
                         "play " + home.File("greeting.wav"), "dial 5550199", "dial+speak 5550199",
                         "timer4 15000", "show", "exit", "stopped"}));

    r = Ctl({"status"});
    EXPECT_EQ(r.nExit, 3);
    EXPECT_NE(r.err.find("not running"), std::string::npos) << r.err;
}

TEST_F(VorellactlTest, BadCommandLinesAreRefusedBeforeAnythingIsSent) {
    BackgroundProgram server;
    StartServer(server, "server.log");
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"monitor"},
        {"monitor", "maybe"},
        {"record", "now"},
        {"caller", "--name"},
        {"caller", "--colour", "red"},
        {"caller", "--name", std::string(260, 'n')},
        {"caller", "--text", std::string(2048, 't')},
        {"file", "a", "b"},
        {"file", "/" + std::string(300, 'f')},
        {"play"},
        {"play", home.File("missing.wav")},
        {"dial"},
        {"dial", "--speak", "5"},
        {"dial", "123", "--speak"},
        {"dial", "123", "--speak", "0"},
        {"dial", "123", "--speak", "-4"},
        {"dial", "123", "--speak", "5x"},
        {"dial", "123", "--speak", "86401"},
        {"--timeout", "soon", "status"},
    };
    for (const auto& args : bad) {
        ProgramRun r = Ctl(args);
        EXPECT_EQ(r.nExit, 2) << (args.empty() ? "(none)" : args[0]) << " " << r.err;
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(Log(), (std::vector<std::string>{"serving"}));
}

TEST_F(VorellactlTest, ErrorsTellWhatIsWrong) {
    // Nobody running.
    ProgramRun r = Ctl({"file"});
    EXPECT_EQ(r.nExit, 3);
    EXPECT_NE(r.err.find("Vorella is not running"), std::string::npos) << r.err;
    EXPECT_EQ(Ctl({"show"}).nExit, 3);

    std::string error;
    const std::string runtime = GetRuntimeFolder(&error);
    {
        // A block left behind by a crashed instance: still not running.
        SharedMemoryBlock leftover;
        ASSERT_EQ(leftover.Open(ControlBlockName(runtime), CommBlock::kSize,
                                SharedMemoryBlock::OpenMode::Create, &error),
                  SharedMemoryBlock::OpenResult::Ok);
        r = Ctl({"status"});
        EXPECT_EQ(r.nExit, 3);
        EXPECT_NE(r.err.find("Vorella is not running"), std::string::npos) << r.err;

        // An instance that listens but never answers: given up on in time.
        ControlServer hung;
        ASSERT_EQ(hung.Listen(ControlSocketPath(runtime), &error),
                  ControlServer::ListenResult::Listening);
        r = Ctl({"--timeout", "300", "record"});
        EXPECT_EQ(r.nExit, 4);
        EXPECT_FALSE(r.err.empty());
    }

    // A runtime folder others can reach is not trusted.
    BackgroundProgram server;
    StartServer(server, "server.log");
    const std::string folder = home.File("run/vorella");
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    r = Ctl({"status"});
    EXPECT_EQ(r.nExit, 5);
    EXPECT_NE(r.err.find("open to other users"), std::string::npos) << r.err;
    ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
    EXPECT_EQ(Ctl({"status"}).nExit, 0);
}

TEST_F(VorellactlTest, ManyClientsAtOnceAndOneThatVanishes) {
    BackgroundProgram server;
    StartServer(server, "server.log");

    // Half a request, then gone.
    std::string error;
    std::string socketPath = ControlSocketPath(GetRuntimeFolder(&error));
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::send(fd, "ca", 2, MSG_NOSIGNAL), 2);
    ::close(fd);

    // Each client reads the caller fields and writes back one of them
    // changed; with the block locked per client no update is lost or mixed.
    constexpr int kClients = 12;
    std::vector<std::thread> threads;
    std::vector<ProgramRun> runs(kClients);
    for (int i = 0; i < kClients; ++i)
        threads.emplace_back([&, i] {
            runs[i] = i % 3 == 2 ? Ctl({"status"})
                                 : Ctl({"caller", "--text", "client " + std::to_string(i)});
        });
    for (std::thread& t : threads)
        t.join();
    int sets = 0;
    for (int i = 0; i < kClients; ++i) {
        EXPECT_EQ(runs[i].nExit, 0) << i << ": " << runs[i].err;
        if (i % 3 != 2)
            ++sets;
        else
            EXPECT_EQ(runs[i].out, "monitoring: on\ncall: none\n");
    }
    int logged = 0;
    for (const std::string& line : Log())
        if (line.rfind("caller Initial Name|5550100|client ", 0) == 0)
            ++logged;
    EXPECT_EQ(logged, sets);
    EXPECT_EQ(Ctl({"quit"}).nExit, 0);
    EXPECT_EQ(server.Wait(), 0);
}

TEST_F(VorellactlTest, ASecondStartHandsOverAndEnds) {
    BackgroundProgram first;
    StartServer(first, "first.log");

    // No words: the running one is asked to show its main window.
    ProgramRun second = RunProgram({BuiltProgram("control_test_server"), home.File("second.log")});
    EXPECT_EQ(second.nExit, 0);
    EXPECT_EQ(Log("second.log"), (std::vector<std::string>{"ended at start"}));
    // Help: the parameters message, nothing sent.
    RunProgram({BuiltProgram("control_test_server"), home.File("help.log"), "/?"});
    EXPECT_EQ(Log("help.log").at(0).rfind("message Parameters:", 0), 0u);

    // "/copy" (a restart) waits for the leaving instance, then takes over.
    BackgroundProgram copy;
    std::vector<std::string> argv = {BuiltProgram("control_test_server"), home.File("copy.log"),
                                     "/copy"};
    std::string line;
    std::thread starter([&] { copy.Start(argv, &line); });
    // "quit" on a later start's command line makes the running one leave.
    ProgramRun quitter =
        RunProgram({BuiltProgram("control_test_server"), home.File("quit.log"), "quit"});
    EXPECT_EQ(quitter.nExit, 0);
    EXPECT_EQ(first.Wait(), 0);
    starter.join();
    EXPECT_EQ(line, "ready");
    EXPECT_EQ(Log("first.log"), (std::vector<std::string>{"serving", "show", "quit", "stopped"}));
    EXPECT_EQ(Ctl({"file"}).out, "/calls/initial.wav\n");
    EXPECT_EQ(Ctl({"quit"}).nExit, 0);
    EXPECT_EQ(copy.Wait(), 0);
}

TEST_F(VorellactlTest, RestartStartsTheProgramAgainWithCopy) {
    BackgroundProgram old;
    StartServer(old, "old.log", {"--relaunch"});
    EXPECT_EQ(Ctl({"quit"}).nExit, 0);
    EXPECT_EQ(old.Wait(), 0);
    EXPECT_EQ(Log("old.log"),
              (std::vector<std::string>{"serving", "exit", "stopped", "relaunched"}));

    // The new process is not our child; it shows itself by answering.
    ProgramRun r;
    const uint32_t start = GetTickCount();
    do {
        r = Ctl({"file"});
        if (r.nExit == 0)
            break;
        SleepMs(50);
    } while (GetTickCount() - start < 60000);
    EXPECT_EQ(r.nExit, 0) << r.err;
    EXPECT_EQ(r.out, "/calls/initial.wav\n");
    EXPECT_EQ(Ctl({"quit"}).nExit, 0);
    EXPECT_EQ(Log("restarted.log").at(0), "serving");
}

} // namespace
