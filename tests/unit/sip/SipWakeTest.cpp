// The SIP thread's sleep: it finds the sockets bound to a line's port (UDP,
// a TCP listener and the connections it accepted, IPv4 and IPv6) and ends
// when a packet waits on one of them or it is woken, not otherwise.
#include "sip/SipWake.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace {

// A socket bound to the loopback address (port 0: any); its port in *pPort.
int Bound(int family, int type, int* pPort) {
    const int fd = ::socket(family, type, 0);
    sockaddr_storage addr{};
    socklen_t len = 0;
    if (family == AF_INET) {
        auto* a = reinterpret_cast<sockaddr_in*>(&addr);
        a->sin_family = AF_INET;
        a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        len = sizeof *a;
    } else {
        auto* a = reinterpret_cast<sockaddr_in6*>(&addr);
        a->sin6_family = AF_INET6;
        a->sin6_addr = in6addr_loopback;
        len = sizeof *a;
    }
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), len), 0);
    EXPECT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    *pPort = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&addr)->sin_port
                                     : reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
    return fd;
}

bool Has(const std::vector<int>& fds, int fd) {
    return std::find(fds.begin(), fds.end(), fd) != fds.end();
}

TEST(SipWake, FindsTheSocketsOfAPortOnly) {
    int udpPort = 0, tcpPort = 0, otherPort = 0, v6Port = 0;
    const int udp = Bound(AF_INET, SOCK_DGRAM, &udpPort);
    const int listener = Bound(AF_INET, SOCK_STREAM, &tcpPort);
    const int other = Bound(AF_INET, SOCK_DGRAM, &otherPort);
    const int v6 = Bound(AF_INET6, SOCK_DGRAM, &v6Port);
    ASSERT_EQ(::listen(listener, 1), 0);
    int clientPort = 0;
    const int client = Bound(AF_INET, SOCK_STREAM, &clientPort);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(tcpPort));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    const int accepted = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(accepted, 0);

    const std::vector<int> found = SocketsOnPorts({udpPort, tcpPort, v6Port});
    EXPECT_TRUE(Has(found, udp));
    EXPECT_TRUE(Has(found, listener));
    EXPECT_TRUE(Has(found, accepted));
    EXPECT_TRUE(Has(found, v6));
    EXPECT_FALSE(Has(found, other));
    EXPECT_FALSE(Has(found, client));
    EXPECT_TRUE(SocketsOnPorts({}).empty());
    for (int fd : {udp, listener, other, v6, client, accepted})
        ::close(fd);
}

TEST(SipWake, EndsForAPacketOnTheLinesPortOrAWakeUpOnly) {
    int port = 0, otherPort = 0;
    const int line = Bound(AF_INET, SOCK_DGRAM, &port);
    const int other = Bound(AF_INET, SOCK_DGRAM, &otherPort);
    CSipWake wake;
    EXPECT_FALSE(wake.Sleep({port}, std::chrono::milliseconds(0)));

    // A packet for another port leaves it asleep; one for the line wakes it
    // (it is there already, so no time passes).
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<uint16_t>(otherPort));
    ASSERT_EQ(::sendto(line, "x", 1, 0, reinterpret_cast<sockaddr*>(&to), sizeof to), 1);
    EXPECT_FALSE(wake.Sleep({port}, std::chrono::milliseconds(0)));
    to.sin_port = htons(static_cast<uint16_t>(port));
    ASSERT_EQ(::sendto(other, "x", 1, 0, reinterpret_cast<sockaddr*>(&to), sizeof to), 1);
    EXPECT_TRUE(wake.Sleep({port}, std::chrono::seconds(30)));

    // A wake-up ends one sleep, once.
    char c = 0;
    ASSERT_EQ(::recv(line, &c, 1, 0), 1);
    wake.Wake();
    EXPECT_TRUE(wake.Sleep({port}, std::chrono::seconds(30)));
    EXPECT_FALSE(wake.Sleep({port}, std::chrono::milliseconds(0)));
    ::close(line);
    ::close(other);
}

} // namespace
