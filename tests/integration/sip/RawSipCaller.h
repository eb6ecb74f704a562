// SPDX-License-Identifier: GPL-3.0-or-later
// A SIP caller written by hand, as a hostile one would be: its own socket
// (UDP, or a TCP connection) to a line on 127.0.0.1, INVITEs as the test
// writes them, and the final responses it gets back.
#pragma once

#include <map>
#include <string>

// A UDP port on 127.0.0.1 that nothing uses now (0, and the test fails,
// when none was found).
int FreeUdpPort();

// A session description offering G.711 from 127.0.0.1.
extern const std::string kRawSipSdp;

class CRawCaller {
public:
    // sLocal: the loopback address it sends from; sViaHost: the sender its
    // Via header names (sLocal when empty), true or not. A socket that
    // cannot be bound or connected fails the test.
    CRawCaller(int port, bool bTcp, const std::string& sLocal = "127.0.0.1",
               const std::string& sViaHost = "");
    ~CRawCaller();
    CRawCaller(const CRawCaller&) = delete;
    CRawCaller& operator=(const CRawCaller&) = delete;

    // An INVITE from the caller, with the From and To given and any body.
    std::string Invite(const std::string& callId, const std::string& from,
                       const std::string& to = "<sip:vorella@127.0.0.1>",
                       const std::string& body = kRawSipSdp) const;
    bool Send(const std::string& message) const;
    // Waits (at most timeoutMs) until nCalls calls of this caller have had
    // a final response; their codes by Call-ID (repeated responses count
    // once).
    std::map<std::string, int> WaitFinal(size_t nCalls, int timeoutMs = 30000);

private:
    // Takes the whole responses received so far (headers are enough).
    void TakeResponses();

    const int m_nPort;
    const bool m_bTcp;
    const std::string m_sViaHost;
    int m_fd = -1;
    int m_nLocalPort = 0;
    std::string m_sReceived;
    std::map<std::string, int> m_finals;
};
