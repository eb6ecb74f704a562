// The control socket against real clients: ordinary requests, many at once,
// clients that vanish or dawdle, other users, stale and live socket files.
#include "TempHome.h"

#include "platform/ControlSocket.h"
#include "platform/FileUtil.h"
#include "platform/RuntimeFolder.h"
#include "platform/TickCount.h"

#include <atomic>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// A server answering "echo:<request>" on its own thread, as the UI loop would.
class ServerThread {
public:
    explicit ServerThread(const std::string& path) {
        std::string error;
        m_result = m_server.Listen(path, &error);
        m_server.SetHandler([this](const std::string& request) {
            ++m_nServed;
            return "echo:" + request;
        });
        if (m_result == ControlServer::ListenResult::Listening)
            m_thread = std::thread([this] {
                while (!m_bStop)
                    m_server.Process(20);
            });
    }
    ~ServerThread() { Stop(); }
    void Stop() {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    ControlServer::ListenResult Result() const { return m_result; }
    ControlServer& Server() { return m_server; }
    int Served() const { return m_nServed; }

private:
    ControlServer m_server;
    ControlServer::ListenResult m_result;
    std::atomic<bool> m_bStop{false};
    std::atomic<int> m_nServed{0};
    std::thread m_thread;
};

std::string SocketPath() {
    std::string error;
    std::string folder = GetRuntimeFolder(&error);
    EXPECT_FALSE(folder.empty()) << error;
    return ControlSocketPath(folder);
}

sockaddr_un Address(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    return addr;
}

// A raw connection for misbehaving on purpose.
int RawConnect(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr = Address(path);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Each test in a program folder of its own.
class ControlSocket : public ::testing::Test {
protected:
    TempHome home;
    const std::string path = SocketPath();
};

TEST_F(ControlSocket, AnswersRequestsAndTellsWhenNobodyListens) {
    ControlReply none = SendControlRequest(path, "status", 2000);
    EXPECT_EQ(none.status, ControlStatus::NotRunning);
    EXPECT_FALSE(IsControlSocketLive(path));

    ServerThread server(path);
    ASSERT_EQ(server.Result(), ControlServer::ListenResult::Listening);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(IsControlSocketLive(path));

    ControlReply reply = SendControlRequest(path, "show", 10000);
    ASSERT_EQ(reply.status, ControlStatus::Ok) << reply.error;
    EXPECT_EQ(reply.text, "echo:show");
    // A request must be one short line.
    EXPECT_EQ(SendControlRequest(path, "a\nb", 1000).status, ControlStatus::Failed);
    EXPECT_EQ(SendControlRequest(path, std::string(300, 'x'), 1000).status, ControlStatus::Failed);

    server.Stop();
    server.Server().Close();
    EXPECT_NE(::access(path.c_str(), F_OK), 0) << "the socket file stays behind";
}

TEST_F(ControlSocket, ServesManyClientsAtOnce) {
    ServerThread server(path);
    ASSERT_EQ(server.Result(), ControlServer::ListenResult::Listening);
    constexpr int kClients = 48;
    std::vector<std::thread> clients;
    std::atomic<int> good{0};
    for (int i = 0; i < kClients; ++i)
        clients.emplace_back([&, i] {
            ControlReply r = SendControlRequest(path, "n" + std::to_string(i), 30000);
            if (r.status == ControlStatus::Ok && r.text == "echo:n" + std::to_string(i))
                ++good;
        });
    for (std::thread& t : clients)
        t.join();
    EXPECT_EQ(good, kClients);
}

TEST_F(ControlSocket, ClientsThatVanishOrDawdleDoNotStopTheServer) {
    ServerThread server(path);
    ASSERT_EQ(server.Result(), ControlServer::ListenResult::Listening);

    // Half a request, then gone.
    int vanishing = RawConnect(path);
    ASSERT_GE(vanishing, 0);
    ASSERT_EQ(::send(vanishing, "cal", 3, MSG_NOSIGNAL), 3);
    ::close(vanishing);
    // Connected and silent: must not hold up anyone else.
    int silent = RawConnect(path);
    ASSERT_GE(silent, 0);
    // Gone before the reply could be written (the server must not die of SIGPIPE).
    int impatient = RawConnect(path);
    ASSERT_GE(impatient, 0);
    ASSERT_EQ(::send(impatient, "call\n", 5, MSG_NOSIGNAL), 5);
    ::shutdown(impatient, SHUT_RDWR);
    ::close(impatient);

    ControlReply r = SendControlRequest(path, "after", 10000);
    ASSERT_EQ(r.status, ControlStatus::Ok) << r.error;
    EXPECT_EQ(r.text, "echo:after");

    // The silent client is dropped once its time is up: the server closes it.
    char c;
    timeval tv{30, 0};
    ::setsockopt(silent, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    EXPECT_EQ(::recv(silent, &c, 1, 0), 0);
    ::close(silent);

    // A flood without a line end is cut off with an error.
    int flood = RawConnect(path);
    ASSERT_GE(flood, 0);
    std::string junk(ControlServer::kMaxRequest * 4, 'j');
    (void)::send(flood, junk.data(), junk.size(), MSG_NOSIGNAL);
    char buf[128] = {};
    ::setsockopt(flood, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ssize_t n = ::recv(flood, buf, sizeof buf - 1, 0);
    ::close(flood);
    EXPECT_GT(n, 0);
    EXPECT_EQ(std::string(buf).rfind("error", 0), 0u) << buf;

    EXPECT_EQ(SendControlRequest(path, "last", 10000).text, "echo:last");
}

TEST_F(ControlSocket, ReplacesAStaleSocketButNeverALiveOne) {
    {
        // A crashed instance leaves its socket file: nobody accepts on it.
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr = Address(path);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);
    }
    ASSERT_EQ(::access(path.c_str(), F_OK), 0);
    EXPECT_FALSE(IsControlSocketLive(path));

    ServerThread first(path);
    ASSERT_EQ(first.Result(), ControlServer::ListenResult::Listening);
    ControlServer second;
    std::string error;
    EXPECT_EQ(second.Listen(path, &error), ControlServer::ListenResult::AlreadyRunning);
    second.Close(); // must not remove the first one's socket
    EXPECT_EQ(SendControlRequest(path, "still", 10000).text, "echo:still");
}

TEST_F(ControlSocket, SomethingElseAtThePathIsAnErrorAndANeglectedServerGivesNoReply) {
    ASSERT_TRUE(WriteFileAtomic(path, "not a socket"));
    ControlServer server;
    std::string error;
    EXPECT_EQ(server.Listen(path, &error), ControlServer::ListenResult::Failed);
    EXPECT_NE(error.find("not a socket"), std::string::npos) << error;
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ControlServer neglected; // listens, but its loop never runs
    ASSERT_EQ(neglected.Listen(path, &error), ControlServer::ListenResult::Listening);
    EXPECT_EQ(SendControlRequest(path, "hello", 300).status, ControlStatus::NoReply);
}

TEST_F(ControlSocket, AnotherUserIsTurnedAway) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    ServerThread server(path);
    ASSERT_EQ(server.Result(), ControlServer::ListenResult::Listening);
    // Root can reach the socket despite its mode; the server must still
    // refuse a peer that is not its own user.
    for (const char* folder : {"", "run", "run/vorella"})
        ::chmod(home.File(folder).c_str(), 0711);
    ::chmod(path.c_str(), 0666);
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(10);
        // The server says no ...
        int fd = RawConnect(path);
        if (fd < 0)
            ::_exit(11);
        (void)::send(fd, "status\n", 7, MSG_NOSIGNAL);
        char buf[32] = {};
        timeval tv{30, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        if (::recv(fd, buf, sizeof buf - 1, 0) <= 0 || std::strcmp(buf, "denied\n") != 0)
            ::_exit(12);
        ::close(fd);
        // ... and the client, for its part, will not talk to another user's server.
        ControlReply r = SendControlRequest(path, "status", 10000);
        ::_exit(r.status == ControlStatus::Refused ? 0 : 20 + static_cast<int>(r.status));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(server.Served(), 0);
}

} // namespace
