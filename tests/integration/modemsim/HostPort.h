// The host's side of a simulated modem in tests: the pty slave opened and set
// raw with plain termios, as the serial layer of the program does, with reads
// that wait on poll() up to a deadline.
#pragma once

#include <cstdint>
#include <string>

class HostPort {
public:
    explicit HostPort(const std::string& path);
    ~HostPort();
    HostPort(const HostPort&) = delete;
    HostPort& operator=(const HostPort&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    bool Send(const std::string& bytes);
    // Reads until the collected text contains wanted and returns it up to and
    // including wanted (later bytes wait for the next read), or what came by
    // the deadline.
    std::string ReadUntil(const std::string& wanted, int timeoutMs);
    // Reads count bytes, or what came by the deadline.
    std::string ReadBytes(size_t count, int timeoutMs);
    // Reads whatever arrives until the line has been quiet for quietMs.
    std::string ReadQuiet(int quietMs);
    // True when the other side has gone (read gives EOF or EIO, or POLLHUP).
    bool WaitForHangUp(int timeoutMs);
    // Sends a command line and returns the answer up to its final result.
    std::string Command(const std::string& line, int timeoutMs = 5000);

private:
    int ReadSome(std::string& into, int timeoutMs);
    std::string Take(size_t n);
    int m_fd = -1;
    std::string m_pending; // read from the pty, not yet handed out
};

// The frequency component of samples at freqHz (Goertzel), as the power
// relative to the signal's total power: near 1 for a pure tone at freqHz.
double ToneShare(const int16_t* samples, size_t n, int rate, double freqHz);
