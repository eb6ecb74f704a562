// Sleeps between two turns of the thread that drives the SIP stacks: until
// a packet comes in on one of the lines' SIP ports, a wake-up, or the time
// is up. An idle line then costs one turn a second instead of fifty, and an
// incoming call is still taken up at once.
//
// The stack does not hand out its sockets, so they are found by their local
// port among the process's open files (accepted TCP connections share the
// listening port). Any of them may close meanwhile; that only ends a sleep
// early.
#pragma once

#include <chrono>
#include <vector>

class CSipWake {
public:
    CSipWake();
    ~CSipWake();
    CSipWake(const CSipWake&) = delete;
    CSipWake& operator=(const CSipWake&) = delete;

    // Sleeps up to timeout, or until a packet is waiting on a socket bound to
    // one of ports (none: only the time or Wake() end it). True when a packet
    // or Wake() ended it.
    bool Sleep(const std::vector<int>& ports, std::chrono::milliseconds timeout);
    // Ends the current or next Sleep at once. Any thread.
    void Wake();

private:
    int m_nEventFd;
};

// The open sockets of this process bound to one of ports (IPv4 or IPv6).
std::vector<int> SocketsOnPorts(const std::vector<int>& ports);
