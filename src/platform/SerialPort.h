// A serial port on termios, with the read and write time-out rules of the
// classic comm time-outs emulated with poll().
//
// The port runs 8N1 at the given speed with CTS output flow control, DTR and RTS
// raised, opened exclusively; the settings found at open are put back at close.
//
// Reads are served from an internal buffer that one read() per burst fills, so
// callers that take the stream one byte at a time cost one system call per
// burst, not per byte. Every wait blocks in poll() on the port and on a wake-up
// descriptor, so another thread can break a wait at once (Wake()).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <termios.h>

// The classic comm time-outs, in ms. kMaxDword in both read interval and read
// multiplier with a constant between 1 and kMaxDword-1 means "return what is
// queued, or wait for the first byte up to the constant"; kMaxDword interval
// with zero multiplier and constant means "never wait".
struct SerialTimeouts {
    static constexpr uint32_t kMaxDword = 0xFFFFFFFFu;
    uint32_t readInterval = kMaxDword;
    uint32_t readMultiplier = 0;
    uint32_t readConstant = 0;
    uint32_t writeMultiplier = 0;
    uint32_t writeConstant = 0;
};

// Purge flags, with the values of the classic PurgeComm bits.
enum : unsigned {
    kPurgeTxAbort = 0x0001,
    kPurgeRxAbort = 0x0002,
    kPurgeTxClear = 0x0004,
    kPurgeRxClear = 0x0008,
    kPurgeAll = 0x000F,
};

class SerialPort {
public:
    // Bytes held between system calls; larger than any burst a modem sends at
    // 115200 bit/s in the few ms between two reads.
    static constexpr size_t kBufferSize = 8192;

    SerialPort();
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens and configures the device. On failure returns false and leaves the
    // port closed; *error says why. Modem-control lines that the device does
    // not have (a pseudo-terminal) are not an error: *notes then says so.
    bool Open(const std::string& device, uint32_t baud, std::string* error, std::string* notes);
    // Restores the saved settings and closes; with dropDtr, lowers DTR first
    // (the modem then hangs up and leaves its command state).
    void Close(bool dropDtr);
    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    uint32_t Baud() const { return m_nBaud; }

    void SetTimeouts(const SerialTimeouts& t) { m_timeouts = t; }
    const SerialTimeouts& Timeouts() const { return m_timeouts; }

    // Reads up to count bytes following the time-outs in force. Returns the
    // count (0 on time-out or wake-up), or -1 when the device failed (hung up,
    // vanished, I/O error); after a failure every call returns -1.
    int Read(void* buffer, size_t count);
    // Reads what is queued, or waits up to waitMs for the first byte; the
    // time-outs in force do not apply. Returns as Read does.
    int ReadWithin(void* buffer, size_t count, uint32_t waitMs);
    // Writes up to count bytes within the write time-out; returns the count
    // written (which may be short), or -1 when the device failed.
    int Write(const void* buffer, size_t count);
    // Drops queued input (held and in the driver) and/or queued output.
    void Purge(unsigned flags);
    // Waits until a byte can be read, the time-out passes or Wake() is called.
    // True when input is waiting. A device failure also returns true, so the
    // next Read reports it.
    bool WaitForInput(uint32_t timeoutMs);
    // Number of bytes ready without waiting (held plus queued in the driver).
    size_t Available();
    // Breaks the current (or the next) wait of another thread.
    void Wake();
    // Clears a pending wake-up.
    void ClearWake();
    // True once the device has failed.
    bool Failed() const { return m_bFailed; }

private:
    bool Fill(int waitMs);
    int PollIn(int waitMs);
    bool ApplySettings(uint32_t baud, std::string* notes);

    int m_fd = -1;
    int m_wakeFd = -1;
    uint32_t m_nBaud = 0;
    bool m_bFailed = false;
    bool m_bSaved = false;
    termios m_saved{};
    SerialTimeouts m_timeouts;
    unsigned char m_buf[kBufferSize];
    size_t m_head = 0;
    size_t m_tail = 0;
};

// The termios speed constant for a rate in bit/s; B0 when there is none.
speed_t BaudToSpeed(uint32_t baud);
