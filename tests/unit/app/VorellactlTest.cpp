// vorellactl, the built program, against a stand-in for a running instance:
// the command lines it refuses, its errors, clients that misbehave, and the
// restart. Every command against the real service: VorelladTest.
#include "ChildProcess.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include "app/CommBlock.h"
#include "platform/ControlSocket.h"
#include "platform/RuntimeFolder.h"
#include "platform/SharedMemory.h"
#include "platform/TextUtil.h"

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
        {"answer", "now"},
        {"talk", "on"},
        {"talk", "off", "now"},
        {"block", "1", "2"},
        {"block", ""},
        {"permit"},
        {"block", std::string(260, '5')},
        {"screening", "maybe"},
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
    // Nobody running, as after a quit: VorelladTest.
    ProgramRun r;
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

TEST_F(VorellactlTest, RestartStartsTheProgramAgainWithCopy) {
    BackgroundProgram old;
    StartServer(old, "old.log", {"--relaunch"});
    EXPECT_EQ(Ctl({"quit"}).nExit, 0);
    EXPECT_EQ(old.Wait(), 0);
    EXPECT_EQ(Log("old.log"),
              (std::vector<std::string>{"serving", "exit", "stopped", "relaunched"}));

    // The new process is not our child; it shows itself by answering.
    ProgramRun r;
    EXPECT_TRUE(WaitUntil([&] { return (r = Ctl({"file"})).nExit == 0; }, 60000)) << r.err;
    EXPECT_EQ(r.out, "/calls/initial.wav\n");
    EXPECT_EQ(Ctl({"quit"}).nExit, 0);
    EXPECT_EQ(Log("restarted.log").at(0), "serving");
}

} // namespace
