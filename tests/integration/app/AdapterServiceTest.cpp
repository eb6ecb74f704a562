// vorellad on the USB adapter: the service's log names the adapter as what
// it is, whether it opens (on the simulated adapter) or cannot be found
// (no sound card chosen), with the reason; a message the full disk cuts.
#include "ChildProcess.h"
#include "ServiceMessage.h"
#include "ServiceTest.h"
#include "SmallDisk.h"

#include "platform/FileUtil.h"

#include <cstdlib>
#include <filesystem>

namespace {

class AdapterServiceTest : public ServiceTest {
protected:
    void SetUp() override {
        WriteSettings("nTAPI=1\nfUseHiPhone=1\nnComPort=1\nsAdapterSoundCard=\n");
    }
    void TearDown() override {
        ServiceTest::TearDown();
        ::unsetenv("VORELLA_ADAPTER_SOCKET");
    }
    // adaptersim on a socket of the folder, with these arguments, as the
    // service's adapter.
    void StartAdapter(std::vector<std::string> args) {
        const std::string socket = home.File("adapter.sock");
        args.insert(args.begin(), {BuiltProgram("adaptersim"), "--socket", socket});
        args.push_back("--stay");
        std::string first;
        ASSERT_TRUE(adapter.Start(args, &first));
        ASSERT_EQ(first, socket);
        ::setenv("VORELLA_ADAPTER_SOCKET", socket.c_str(), 1);
    }

    BackgroundProgram adapter;
};

TEST_F(AdapterServiceTest, AnAdapterWithoutASoundCardIsNotFoundAndTheLogSaysWhy) {
    ASSERT_TRUE(Launch());
    EXPECT_TRUE(WaitUntil([&] {
        return Logged("cannot open the USB telephone adapter: no sound card is chosen for it "
                      "(sAdapterSoundCard)");
    })) << Log();
    EXPECT_FALSE(Logged("trying again")) << "monitoring pauses until resumed\n" << Log();
}

// The simulated adapter is logged open by its name; a message longer than
// the disk holds, taken through the adapter's sound device, is cut where
// the disk is full, as on the modem, and the mail notice of the call says so.
TEST_F(AdapterServiceTest, AFullDiskCutsTheMessageAndSaysSo) {
    const std::string data = home.File("small/");
    SmallDisk disk(data, 128 * 1024);
    const std::string inbox = home.File("inbox/");
    std::filesystem::create_directories(inbox);
    ServerProcess server({"/usr/bin/python3", SourceFile("tests/integration/notify/smtp_server.py"),
                          "--folder", inbox});
    MailTo(server.Port());
    AnswerAtRing2();
    SetOption("nMinFreeSeconds", 3);
    SetOption("sPath", data);
    // A minute of the caller's tone, more than the disk holds; the call
    // ends when the machine puts the line back.
    const std::string tone = MakeTone("tone.wav", 60);
    home.Write("call.txt", "wait open\nring\n"
                           "caller-id 80 0e 02 07 35 35 35 31 32 33 34 07 03 41 6e 6e d9\n"
                           "ring\nwait off-hook\nsound " +
                               tone + "\nwait on-hook\n");
    StartAdapter({"--script", home.File("call.txt"), "--pace", "0"});
    ASSERT_TRUE(disk.Launch(service, {BuiltProgram("vorellad")}, home.File("vorellad.log")));
    EXPECT_TRUE(WaitUntil([&] { return Logged("USB telephone adapter open; waiting for calls"); }))
        << Log();
    ASSERT_TRUE(WaitUntil([&] { return FindStoredMessage(Log()).has_value(); }, 90000)) << Log();
    ExpectMessageCutWhereTheDiskFilled(Log(), data + "Recorded Calls/index.dat", "1234");
    EXPECT_FALSE(Logged("modem port")) << Log();
    ASSERT_TRUE(WaitUntil([&] { return FileExists(inbox + "msg1.eml"); }, 60000)) << Log();
    EXPECT_NE(home.Read("inbox/msg1.eml").find("the disk is full: the recording was cut after "),
              std::string::npos)
        << home.Read("inbox/msg1.eml");
}

} // namespace
