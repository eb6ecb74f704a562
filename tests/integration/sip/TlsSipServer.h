// A SIP server on TLS for the tests, written with OpenSSL: it listens on
// 127.0.0.1 with the certificate it is given, takes one connection, answers
// an INVITE at once (200 with a G.711 offer) and a BYE, and notes what it
// received. Just enough of SIP for one call placed by the line under test.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CTlsSipServer {
public:
    CTlsSipServer(const std::string& sCertFile, const std::string& sKeyFile);
    ~CTlsSipServer();

    int Port() const { return m_nPort; }
    // Waits (at most 30 s) until a request with this method (or the end of
    // the connection, "closed", or a failed handshake, "handshake failed")
    // has been seen.
    bool WaitFor(const std::string& sWhat);
    // What was seen, in order: the request methods and the events above.
    std::vector<std::string> Seen() const;
    // The From header of the INVITE.
    std::string InviteFrom() const;

private:
    void Run(const std::string& sCertFile, const std::string& sKeyFile);
    void Note(const std::string& sWhat);

    int m_listenFd = -1;
    int m_nPort = 0;
    std::atomic<bool> m_bQuit{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<std::string> m_seen; // under m_mutex
    std::string m_sFrom;             // under m_mutex
    std::thread m_thread;
};
