// Whom a line with a registrar takes calls from: the registrar alone. SIP
// scanners send INVITEs to every phone they reach; a line reached through
// its registrar would ring for each of them and take a "message". The
// sender is the address the request came from, as the SIP stack marks it in
// the top Via header ("received"), or the Via's own host when the stack saw
// no difference, so a Via that names the registrar falsely does not pass.
// A line without a registrar lets every caller in.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CSipCallGate {
public:
    // One line about refused callers at most this often.
    static constexpr auto kReportPeriod = std::chrono::minutes(1);

    // sRegistrar: host[:port] ("[v6]:port"); empty lets every caller in.
    explicit CSipCallGate(std::string sRegistrar = "");

    bool HasRegistrar() const { return !m_sHost.empty(); }
    // Looks up the registrar's addresses again (a name is resolved, so this
    // may wait for DNS). False, with *pError set, when it has none; every
    // caller is then refused.
    bool Resolve(std::string* pError);
    // The sender of a request whose top Via header is sVia (a numeric
    // address), or "" when the header says none.
    static std::string ViaSource(std::string_view sVia);
    bool Allows(std::string_view sVia) const;
    // Counts a refused call from sSource; the log line to write now, or ""
    // (the first refusal is told at once, later ones at most once a period).
    std::string Refused(const std::string& sSource, std::chrono::steady_clock::time_point now);
    // The line about refusals not yet told once a period has passed, or "".
    std::string Due(std::chrono::steady_clock::time_point now);
    uint64_t RefusedCount() const { return m_nRefused; }

private:
    std::string m_sHost;
    std::vector<std::string> m_addresses; // numeric, as NormalAddress gives them
    uint64_t m_nRefused = 0;
    uint64_t m_nUnreported = 0;
    bool m_bReported = false;
    std::chrono::steady_clock::time_point m_lastReport;
    std::string m_sLastSource;
};

// The host of "host[:port]" or "[v6]:port" (brackets removed).
std::string SipHostOf(std::string_view sHostPort);
