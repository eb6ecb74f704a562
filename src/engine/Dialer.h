// CDialer: dialling out on the worker's thread. The number and the "speak"
// flag are set from any thread; Dial() runs on the worker's thread when the
// dial request comes.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

class CPhone;
class IUiBridge;
class ICallControl;
struct CCallStateData;

class CDialer {
public:
    CDialer(CPhone& phone, CCallStateData& state, IUiBridge& ui, ICallControl& line);
    CDialer(const CDialer&) = delete;
    CDialer& operator=(const CDialer&) = delete;

    // The number the next dial dials (any thread).
    void SetNumber(const std::string& number);
    // External control's "speak" flag: a dialled call stays off-hook (any thread).
    void SetSpeak(bool bSpeak) { m_bSpeak = bSpeak; }
    // The modem's (or line's) result of the last dial, 0 before the first.
    int LastResult() const { return m_nLastResult.load(); }

    // Dials the number set (worker thread); a dial already running is left alone.
    void Dial();
    // Makes the modem ready to dial; false (and told) when it cannot be opened.
    bool PrepareModem();

private:

    CPhone& m_phone;
    CCallStateData& m_state;
    IUiBridge& m_ui;
    ICallControl& m_line;
    std::mutex m_mutex;
    std::string m_sNumber; // under m_mutex
    std::atomic<bool> m_bSpeak{false};
    std::atomic<int> m_nLastResult{0};
};
