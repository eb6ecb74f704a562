#include "HostPort.h"
#include "TempHome.h"

#include "platform/SerialPort.h"
#include "platform/SerialPorts.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr uint32_t kMax = SerialTimeouts::kMaxDword;

termios SlaveSettings(const std::string& path) {
    termios t{};
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    EXPECT_GE(fd, 0);
    ::tcgetattr(fd, &t);
    ::close(fd);
    return t;
}

// A port opened on a fresh pty, the test on its far end.
class OpenSerialPort : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.IsOpen());
        ASSERT_TRUE(port.Open(pty.SlavePath(), 115200, nullptr, nullptr));
    }
    PtyPair pty;
    SerialPort port;
};

TEST(SerialPort, OpenConfiguresLineAndCloseRestoresIt) {
    PtyPair pty;
    ASSERT_TRUE(pty.IsOpen());
    termios before = SlaveSettings(pty.SlavePath());
    SerialPort port;
    std::string error, notes;
    ASSERT_TRUE(port.Open(pty.SlavePath(), 57600, &error, &notes)) << error;
    termios t{};
    ASSERT_EQ(::tcgetattr(port.Fd(), &t), 0);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B57600));
    EXPECT_EQ(port.Baud(), 57600u);
    port.Close(true);
    EXPECT_FALSE(port.IsOpen());
    termios after = SlaveSettings(pty.SlavePath());
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
}

TEST(SerialPort, RefusesMissingDevicesOtherFilesAndASecondOpener) {
    TempHome home;
    SerialPort port;
    std::string error;
    EXPECT_FALSE(port.Open(home.File("no-such-tty"), 115200, &error, nullptr));
    EXPECT_FALSE(error.empty());
    home.Write("plain.txt", "not a tty");
    EXPECT_FALSE(port.Open(home.File("plain.txt"), 115200, &error, nullptr));
    EXPECT_FALSE(port.IsOpen());

    PtyPair pty;
    ASSERT_TRUE(pty.IsOpen());
    EXPECT_FALSE(port.Open(pty.SlavePath(), 12345, &error, nullptr)) << "odd speed accepted";
    ASSERT_TRUE(port.Open(pty.SlavePath(), 115200, &error, nullptr)) << error;
    SerialPort second;
    EXPECT_FALSE(second.Open(pty.SlavePath(), 115200, &error, nullptr));
    port.Close(false);
    EXPECT_TRUE(second.Open(pty.SlavePath(), 115200, &error, nullptr)) << error;
}

TEST_F(OpenSerialPort, TimeoutSetsBehaveAsTheClassicRules) {
    char buf[64];

    // Immediate: nothing queued, nothing read, no wait.
    port.SetTimeouts({kMax, 0, 0, 15, 2500});
    EXPECT_EQ(port.Read(buf, sizeof buf), 0);

    // Default: what is queued comes back at once, all of it.
    port.SetTimeouts({kMax, kMax, 30000, 15, 2500});
    pty.Send("HELLO");
    ASSERT_TRUE(port.WaitForInput(10000));
    EXPECT_EQ(port.Read(buf, 2), 2);
    EXPECT_EQ(std::string(buf, 2), "HE");
    EXPECT_EQ(port.Read(buf, sizeof buf), 3);
    EXPECT_EQ(std::string(buf, 3), "LLO");

    // Default with nothing queued: waits for the first byte.
    std::thread later([&] { pty.Send("X"); });
    EXPECT_EQ(port.Read(buf, sizeof buf), 1);
    later.join();
    EXPECT_EQ(buf[0], 'X');

    // Quantum: collects until the count or a pause between bytes.
    port.SetTimeouts({50, 50, 50, 15, 2500});
    pty.Send("ABCDEFGH");
    EXPECT_EQ(port.Read(buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "ABCD");
    EXPECT_EQ(port.Read(buf, sizeof buf), 4);
}

TEST_F(OpenSerialPort, ByteAtATimeReadsComeFromOneBufferedBurst) {
    std::string sent;
    for (int i = 0; i < 3000; ++i)
        sent.push_back(static_cast<char>(i * 7));
    pty.Send(sent);
    std::string got;
    while (got.size() < sent.size()) {
        unsigned char b;
        int n = port.ReadWithin(&b, 1, 10000);
        ASSERT_EQ(n, 1) << "after " << got.size() << " bytes";
        got.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(got, sent);
}

TEST_F(OpenSerialPort, PurgeDropsQueuedInputAndWakeBreaksAWait) {
    pty.Send("stale");
    ASSERT_TRUE(port.WaitForInput(10000));
    port.Purge(kPurgeRxAbort | kPurgeRxClear);
    char c;
    EXPECT_EQ(port.ReadWithin(&c, 1, 0), 0);

    std::thread waker([&] { port.Wake(); });
    // Without the wake-up this would wait for a minute.
    EXPECT_EQ(port.ReadWithin(&c, 1, 60000), 0);
    waker.join();
    pty.Send("Y");
    EXPECT_EQ(port.ReadWithin(&c, 1, 10000), 1);
}

TEST_F(OpenSerialPort, AVanishedDeviceFailsReadsAndWritesInsteadOfWaiting) {
    pty.Close();
    char c;
    EXPECT_TRUE(port.WaitForInput(60000));
    EXPECT_EQ(port.ReadWithin(&c, 1, 60000), -1);
    EXPECT_TRUE(port.Failed());
    EXPECT_EQ(port.Write("AT\r", 3), -1);
}

TEST(SerialPorts, NumbersStayWithTheirDevices) {
    std::map<int, std::string> table = {{3, "/dev/serial/by-id/usb-Modem-if00"}};
    auto t = AssignComNumbers(
        table, {"/dev/ttyS1", "/dev/ttyACM0", "/dev/serial/by-id/usb-Modem-if00", "/dev/ttyS0"});
    EXPECT_EQ(t[1], "/dev/ttyS0");
    EXPECT_EQ(t[2], "/dev/ttyS1");
    EXPECT_EQ(t[3], "/dev/serial/by-id/usb-Modem-if00");
    EXPECT_EQ(t[4], "/dev/ttyACM0");
    EXPECT_EQ(t.size(), 4u);
    // A second scan with the USB modem unplugged keeps every number.
    EXPECT_EQ(AssignComNumbers(t, {"/dev/ttyS0", "/dev/ttyS1"}), t);
}

TEST(SerialPorts, TableLivesInTheSettingsAndListsOnlyPresentDevices) {
    TempHome home;
    PtyPair pty;
    ASSERT_TRUE(pty.IsOpen());
    ASSERT_TRUE(SetComPortDevice(7, pty.SlavePath()));
    ASSERT_TRUE(SetComPortDevice(9, home.File("gone")));
    EXPECT_EQ(ComPortDevice(7), pty.SlavePath());
    EXPECT_EQ(ComPortDevice(8), "");
    EXPECT_EQ(ListComPorts(), std::vector<int>{7});
    EXPECT_NE(home.Read("vorella.ini").find("COM7=" + pty.SlavePath()), std::string::npos);
}

TEST(SerialPorts, FindsUsbModemsAndOnlyUartsWithHardware) {
    TempHome home;
    for (const char* f :
         {"dev/ttyACM0", "dev/ttyUSB1", "dev/ttyS0", "dev/ttyS1", "dev/tty0", "dev/ttyS"})
        home.Write(f, "");
    home.Write("sys/ttyS0/type", "4\n");
    home.Write("sys/ttyS1/type", "0\n");
    auto found = FindSerialDevices(home.File("dev"), home.File("sys"));
    std::vector<std::string> want = {home.File("dev/ttyACM0"), home.File("dev/ttyS0"),
                                     home.File("dev/ttyUSB1")};
    EXPECT_EQ(found, want);
}

} // namespace
