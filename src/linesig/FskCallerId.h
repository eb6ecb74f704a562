// Caller ID sent as FSK (ETSI V.23 or Bell 202) read off the line's sound.
//
// A message counts only when it comes the way an exchange sends it: a
// channel seizure (alternating bits), then a mark signal (a run of ones),
// then bytes framed by start and stop bits whose checksum holds, of a known
// message type whose parameters fill the message exactly and hold what
// their type says. Noise demodulates to random bits, and an 8-bit checksum
// alone passes one random frame in 256; the seizure and mark that no noise
// makes, and the checks on the content, keep it from showing a stranger's
// bytes as a caller.
#pragma once

#include "linesig/SpandspHandles.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// True when `message` (type, length, parameters; no checksum) is a caller-ID
// message of a kind this program reads: the multiple-data form (type 0x80,
// parameters whose lengths add up to the message's) or the North American
// single-data form (type 0x04, date and time and a number).
bool IsCallerIdMessage(std::string_view message);

// Turns the receiver's bits, one per baud, into checked messages.
class CFskCallerIdFramer {
public:
    using Sink = std::function<void(std::string message)>;
    explicit CFskCallerIdFramer(Sink sink) : m_sink(std::move(sink)) {}

    void PutBit(int bit);
    // The carrier came or went: whatever was under way is dropped.
    void Restart();

private:
    enum class State { Hunt, Seizure, Mark, Byte };
    void EndByte(bool bStop);

    Sink m_sink;
    State m_state = State::Hunt;
    int m_nLastBit = -1;
    int m_nRun = 0;  // alternating bits (hunt), ones (seizure, mark)
    int m_nBits = 0; // data bits of the byte under way, then its stop bit
    uint8_t m_byte = 0;
    std::string m_msg; // type, length, parameters, checksum
};

// One FSK receiver (V.23 or Bell 202) and its framer.
class CFskCallerIdRx {
public:
    enum class Form { EtsiV23, Bell202 };
    CFskCallerIdRx(Form form, CFskCallerIdFramer::Sink sink);
    CFskCallerIdRx(const CFskCallerIdRx&) = delete; // the receiver holds its address
    CFskCallerIdRx& operator=(const CFskCallerIdRx&) = delete;

    void Feed(const int16_t* pSamples, int nSamples);
    void Reset();

private:
    static void OnBit(void* pUser, int bit);

    Form m_form;
    CFskCallerIdFramer m_framer;
    linesig::FskRx m_rx;
};
