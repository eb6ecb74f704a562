// One end of a pseudo-terminal in tests, set raw with plain termios, with
// reads that wait on poll() up to a deadline: the host's side of a simulated
// modem (HostPort on its path), or the far end of a bare pty whose other
// side the code under test opens (PtyPair). Beside it, the host's view of a
// voice stream: DLE shielding, sample coding and a tone's share of a signal.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class HostPort {
public:
    explicit HostPort(const std::string& path);
    ~HostPort();
    HostPort(const HostPort&) = delete;
    HostPort& operator=(const HostPort&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    // Closes this end: for a PtyPair, the device vanishes for the other side.
    void Close();
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

protected:
    HostPort() = default;
    void Adopt(int fd); // takes fd and sets it raw

private:
    int ReadSome(std::string& into, int timeoutMs);
    // Reads until end(what came) gives the length to hand out, or the deadline
    // passes or the other side hangs up (then all that came).
    std::string ReadTill(int timeoutMs, const std::function<size_t(const std::string&)>& end);
    std::string Take(size_t n);
    int m_fd = -1;
    std::string m_pending; // read from the pty, not yet handed out
};

// A new pseudo-terminal: the test holds the master, the code under test opens
// SlavePath() as its port.
class PtyPair : public HostPort {
public:
    PtyPair();
    const std::string& SlavePath() const { return m_slave; }

private:
    std::string m_slave;
};

// A received stream with DLE doubling undone, and the DLE codes with the data
// offset where each one came.
struct Unshielded {
    std::string data;
    std::vector<std::pair<size_t, char>> codes;
};
Unshielded Unshield(const std::string& raw);
// DLE doubled, as a host sends voice data.
std::string Shield(const std::string& data);
std::vector<int16_t> DecodeUnsigned8(const std::string& data);
std::string EncodeLinear16(const std::vector<int16_t>& samples);
std::vector<int16_t> DecodeLinear16(const std::string& data);
std::vector<int16_t> Sine(double freq, int rate, size_t n, double amplitude);

// The frequency component of samples at freqHz (Goertzel), as the power
// relative to the signal's total power: near 1 for a pure tone at freqHz.
double ToneShare(const int16_t* samples, size_t n, int rate, double freqHz);
