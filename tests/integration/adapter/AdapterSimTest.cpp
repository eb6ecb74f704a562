// The adapter simulator program against the adapter's socket layer: a whole
// call from its script (ring, caller ID, keys, the local phone, the line's
// sound, busy tone) reaches the worker's queue and flags, what the program
// plays lands in the simulator's WAV file, and a broken script or a program
// that babbles gets a clear answer.
#include "AdapterTestWorker.h"
#include "AudioTestUtil.h"
#include "ChildProcess.h"
#include "HostPort.h"
#include "TempHome.h"
#include "WaitUntil.h"
#include "adapter/AdapterTelephoneDevice.h"
#include "adapter/HiPhoneDev.h"
#include "adapter/AdapterWire.h"
#include "adapter/SocketAdapterLayer.h"
#include "engine/Phone.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

sockaddr_un Address(const std::string& path) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
    return a;
}

// A plain client of the simulator's socket, for bytes no layer would send.
int RawConnect(const std::string& path) {
    sockaddr_un a = Address(path);
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// What arrives on fd within 10 s, up to the first "\n" or the end; "EOF"
// when the peer closed without a word.
std::string ReadSome(int fd) {
    std::string got;
    char c = 0;
    while (got.find('\n') == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0)
            return got + "<timeout>";
        if (::recv(fd, &c, 1, 0) <= 0)
            return got.empty() ? "EOF" : got;
        got += c;
    }
    return got;
}

class AdapterSimTest : public ::testing::Test {
protected:
    TempHome home;
    std::string socketPath = home.File("adapter.sock");
    BackgroundProgram sim;
    CTestAdapterWorker worker;

    void StartSim(const std::string& script, std::vector<std::string> extra = {}) {
        home.Write("call.txt", script);
        std::vector<std::string> argv = {BuiltProgram("adaptersim"), "--socket", socketPath,
                                         "--script", home.File("call.txt"), "--pace", "0"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        std::string first;
        ASSERT_TRUE(sim.Start(argv, &first));
        ASSERT_EQ(first, socketPath);
    }

    CHiPhoneDev::LayerFactory Layers() {
        return [this](std::string* why) { return ConnectSocketAdapter(socketPath, why); };
    }
};

TEST_F(AdapterSimTest, AScriptedCallReachesTheWorkerAndThePlayedSoundIsKept) {
    std::vector<int16_t> heard = Sine(440, 8000, 2400, 8000);
    WriteWav(home.File("line.wav"), heard);
    StartSim("# a call with caller ID, a key and a conversation\n"
             "open-works 0 1\n"
             "wait open\n"
             "ring\n"
             "caller-id 80 0e 02 07 35 35 35 31 32 33 34 07 03 41 6e 6e d9\n"
             "keys 5#\n"
             "local off-hook\n"
             "wait off-hook\n"
             "sound " + home.File("line.wav") + "\n"
             "busy\n"
             "local on-hook\n"
             "wait on-hook\n",
             {"--played", home.File("played.wav")});

    CPhone phone;
    auto dev = MakeAdapterDevice(worker, phone, Layers());
    ASSERT_TRUE(dev->Open()); // the usual way fails, the older one works
    EXPECT_EQ(worker.TakeUpTo(Key('#')), (std::vector<ThreadMessage>{
                                             kRing, {kMsgCallerIdReady, 0, 0}, Key('5'), Key('#')}));
    DeviceCallerData cid = dev->CallerData();
    EXPECT_EQ(cid.sNumber, "5551234");
    EXPECT_EQ(cid.sName, "Ann");
    ASSERT_TRUE(WaitUntil([&] { return worker.bHandsetOffHook.load(); }));

    // Recording the call: the line's sound through the wave-in device.
    ASSERT_TRUE(dev->GoOffHook());
    auto& adapter = static_cast<CAdapterTelephoneDevice&>(*dev).Adapter();
    auto in = adapter.OpenLineCapture();
    ASSERT_TRUE(in);
    std::vector<int16_t> got;
    int16_t buf[500];
    while (got.size() < heard.size()) {
        long n = in->Read(buf, 500, 10000);
        ASSERT_GT(n, 0);
        got.insert(got.end(), buf, buf + n);
    }
    EXPECT_EQ(got, heard);
    EXPECT_EQ(worker.TakeUpTo(Key('b')), std::vector<ThreadMessage>{Key('b')});
    ASSERT_TRUE(WaitUntil([&] { return worker.bStopRequest.load(); }));
    EXPECT_FALSE(worker.bHandsetOffHook);

    // Played to the line, then put back: the simulator keeps it.
    std::vector<int16_t> said = Sine(600, 8000, 1700, 8000);
    auto out = adapter.OpenLinePlayback();
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->Write(said.data(), said.size()));
    ASSERT_TRUE(dev->HangUp());
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_EQ(ReadWav(home.File("played.wav")), said);
    // As another program reads it.
    EXPECT_EQ(Soxi("-r", home.File("played.wav")), "8000");
    EXPECT_EQ(Soxi("-s", home.File("played.wav")), "1700");

    // The simulator is gone: every operation fails, nothing hangs, and the
    // streams the worker still holds outlive the closed adapter safely.
    EXPECT_FALSE(dev->GoOffHook());
    dev->Close(true);
    EXPECT_EQ(in->Read(buf, 500, 10000), -1);
    EXPECT_FALSE(out->Write(said.data(), said.size()));
    EXPECT_FALSE(dev->Open());
    EXPECT_EQ(worker.nPausedWith, kStrAdapterNotFound);
}

TEST_F(AdapterSimTest, ABadScriptOrABabblingProgramGetsAClearAnswer) {
    home.Write("bad.txt", "ring\nsing loudly\n");
    ProgramRun r = RunProgram({BuiltProgram("adaptersim"), "--socket", socketPath, "--script",
                               home.File("bad.txt")});
    EXPECT_EQ(r.nExit, 2);
    EXPECT_NE(r.err.find("line 2: not a step: sing loudly"), std::string::npos) << r.err;

    // A step needing the program when none has connected fails the run.
    home.Write("alone.txt", "ring\n");
    r = RunProgram({BuiltProgram("adaptersim"), "--socket", socketPath, "--script",
                    home.File("alone.txt")});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.err.find("no program connected"), std::string::npos) << r.err;

    // Lines that are no messages are ignored; a request still gets its
    // answer; a line without end costs the babbler its connection.
    StartSim("wait open\nwait off-hook\n");
    int fd = RawConnect(socketPath);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(WriteWire(fd, "hello\nplay zz\nevent 1 2\n\x01\x02\nopen\n"));
    EXPECT_EQ(ReadSome(fd), "= 1\n");
    ASSERT_TRUE(WriteWire(fd, std::string(kMaxWireLine + 10, 'x')));
    EXPECT_EQ(ReadSome(fd), "EOF");
    ::close(fd);

    // The program's own layer after that: it opened already, takes the line.
    std::string error;
    auto layer = ConnectSocketAdapter(socketPath, &error);
    ASSERT_TRUE(layer) << error;
    EXPECT_TRUE(layer->OffHook());
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_FALSE(layer->OnHook());

    EXPECT_EQ(ConnectSocketAdapter(home.File("nobody.sock"), &error), nullptr);
    EXPECT_NE(error.find("nobody.sock"), std::string::npos);
}

TEST_F(AdapterSimTest, ASimulatorThatBabblesLosesTheConnectionNotTheProgram) {
    sockaddr_un a = Address(socketPath);
    int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    std::string request, after;
    std::thread babbler([&] {
        int fd = ::accept(listener, nullptr, nullptr);
        WriteWire(fd, "= maybe\nevent x y\ntext 225 0 zz\nsound 123\n");
        WriteWire(fd, std::string(kMaxWireLine + 10, '7'));
        // Never answers and keeps the connection: the layer must give up on
        // it for the endless line, not wait for an answer and try again.
        request = ReadSome(fd);
        after = ReadSome(fd);
        ::close(fd);
    });
    CHiPhoneDev dev(Layers(), worker);
    EXPECT_EQ(dev.Open(), AdapterOpenResult::Failed);
    babbler.join();
    // The layer may hear the babble before or after it asks to open.
    EXPECT_TRUE(request == "open\n" || request == "EOF") << request;
    EXPECT_EQ(after, "EOF");
    ::close(listener);
    EXPECT_TRUE(worker.Take().empty());
}

TEST_F(AdapterSimTest, ARepeatedCallRingsRoundAfterRoundUntilTheSimulatorIsStopped) {
    // Each round's sound is missing: that ends the round, not the calls.
    StartSim("wait open\n"
             "repeat\n"
             "ring\n"
             "sound " + home.File("missing.wav") + "\n");
    CPhone phone;
    auto dev = MakeAdapterDevice(worker, phone, Layers());
    ASSERT_TRUE(dev->Open());
    for (int round = 0; round < 3; ++round)
        EXPECT_EQ(worker.TakeUpTo(kRing), std::vector<ThreadMessage>{kRing}) << "round " << round;
    ASSERT_TRUE(sim.Signal(SIGTERM));
    EXPECT_EQ(sim.Wait(), 0);
}

} // namespace
