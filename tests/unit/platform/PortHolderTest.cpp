// Naming the program that holds a serial port: a child of the test holds a
// pseudo-terminal open, locked as a modem program would, and the port's
// open fails with its name.
#include "platform/PortHolder.h"
#include "platform/SerialPort.h"
#include "platform/TickCount.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A pty whose slave side a child ("sleep") holds open and locked.
class HeldPty : public ::testing::Test {
protected:
    void SetUp() override {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(m_master, 0);
        ASSERT_EQ(::grantpt(m_master), 0);
        ASSERT_EQ(::unlockpt(m_master), 0);
        m_slave = ::ptsname(m_master);
    }
    void TearDown() override {
        Release();
        ::close(m_master);
    }
    void Hold() {
        m_child = ::fork();
        ASSERT_GE(m_child, 0);
        if (m_child == 0) {
            int fd = ::open(m_slave.c_str(), O_RDWR | O_NOCTTY);
            if (fd < 0 || ::flock(fd, LOCK_EX) != 0 || ::dup2(fd, 0) < 0)
                ::_exit(127);
            ::execlp("sleep", "sleep", "300", static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    void Release() {
        if (m_child > 0) {
            ::kill(m_child, SIGKILL);
            ::waitpid(m_child, nullptr, 0);
            m_child = -1;
        }
    }
    // Waits until the child has the port (it has exec'd once it is named).
    std::string WaitForHolder() {
        const uint32_t start = GetTickCount();
        std::string holder;
        while ((holder = DescribePortHolder(m_slave)).rfind("sleep", 0) != 0 &&
               GetTickCount() - start < 30000)
            SleepMs(10);
        return holder;
    }

    int m_master = -1;
    std::string m_slave;
    pid_t m_child = -1;
};

TEST_F(HeldPty, NamesTheProgramHoldingThePortAndNobodyOnceItLetsGo) {
    EXPECT_EQ(DescribePortHolder(m_slave), "") << "nobody has the slave side open yet";
    Hold();
    EXPECT_EQ(WaitForHolder(), "sleep (pid " + std::to_string(m_child) + ")");

    SerialPort port;
    std::string error;
    EXPECT_FALSE(port.Open(m_slave, 115200, &error, nullptr));
    EXPECT_EQ(error, m_slave + " is in use by sleep (pid " + std::to_string(m_child) + ")");

    Release();
    EXPECT_EQ(DescribePortHolder(m_slave), "");
    EXPECT_TRUE(port.Open(m_slave, 115200, &error, nullptr)) << error;
}

TEST(PortHolder, NothingToNameForWhatIsNoDevice) {
    EXPECT_EQ(DescribePortHolder(""), "");
    EXPECT_EQ(DescribePortHolder("/dev/no-such-modem"), "");
    EXPECT_EQ(DescribePortHolder("/proc/self/status"), "") << "a plain file is no port";
}

} // namespace
