// Naming the program that holds a serial port: a child of the test holds a
// pseudo-terminal open, locked as a modem program would, and the port's
// open fails with its name. A port of a group the user is not in says which
// group and how to join it.
#include "platform/PortHolder.h"
#include "platform/PortAccess.h"
#include "platform/SerialPort.h"
#include "WaitUntil.h"

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
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
        std::string holder;
        WaitUntil([&] { return (holder = DescribePortHolder(m_slave)).rfind("sleep", 0) == 0; });
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

// What a user outside the device's group is told: the port's open error and
// the port list's hint, found by a child that runs as a scratch user.
TEST_F(HeldPty, AUserOutsideTheDevicesGroupIsToldWhichGroupAndHowToJoinIt) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the port to a group and drop to another user";
    const group* dialout = ::getgrnam("dialout");
    const gid_t gid = dialout ? dialout->gr_gid : 4242;
    const std::string groupName = dialout ? "dialout" : "4242";
    const uid_t scratch = 65534;
    const passwd* pw = ::getpwuid(scratch);
    const std::string user = pw ? pw->pw_name : "$USER";
    ASSERT_EQ(::chown(m_slave.c_str(), 0, gid), 0);
    ASSERT_EQ(::chmod(m_slave.c_str(), 0660), 0);

    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(scratch) != 0 || ::setuid(scratch) != 0)
            ::_exit(127);
        SerialPort port;
        std::string error;
        const bool bOpened = port.Open(m_slave, 115200, &error, nullptr);
        const std::string said = (bOpened ? "opened" : error) + "\n" + PortAccessHint(m_slave);
        const bool bWritten = ::write(fds[1], said.data(), said.size()) == ssize_t(said.size());
        ::_exit(bWritten ? 0 : 126);
    }
    ::close(fds[1]);
    std::string said;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        said.append(buf, size_t(n));
    ::close(fds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;

    const std::string join = "join the group " + groupName + ", which owns " + m_slave +
                             " (sudo usermod -aG " + groupName + " " + user +
                             ", then log in again)";
    EXPECT_EQ(said, m_slave + ": Permission denied: " + join + "\n" + join);
    // Root may open it: no hint.
    EXPECT_EQ(PortAccessHint(m_slave), "");
}

TEST(PortHolder, NothingToNameForWhatIsNoDevice) {
    EXPECT_EQ(DescribePortHolder(""), "");
    EXPECT_EQ(DescribePortHolder("/dev/no-such-modem"), "");
    EXPECT_EQ(DescribePortHolder("/proc/self/status"), "") << "a plain file is no port";
}

} // namespace
