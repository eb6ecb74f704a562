// CCommDriver: the voice modem on a serial port. The byte channel (open,
// read, write, purge, time-out sets, comm events, the modem log, the file
// emulation) and the AT engine on top of it (commands and their answers,
// initialisation, voice format, dialling, voice streams with their in-band
// DLE codes). Every command text and answer word comes from the modem
// command profile. The profile, the driver settings and the trace switch are
// the phone's, lent to the driver while the device is a modem; a driver made
// on its own (tools, the modem detection) keeps its own.
//
// The call engine's worker thread drives it; another thread may only raise
// the stop request (to break a wait) and hang up or release the modem.
#pragma once

#include "config/ModemProfile.h"
#include "config/Settings.h"
#include "modem/DleCodes.h"
#include "modem/ModemLog.h"
#include "modem/ModemUi.h"
#include "modem/ResponseMatcher.h"
#include "modem/ResultCodes.h"
#include "platform/SerialPort.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// Comm event bits of the classic mask.
constexpr uint32_t EV_RXCHAR = 0x0001;

// A caller-ID field line that came where the reader of the caller ID was
// not listening (a command's answer awaited, the ring watcher waiting): its
// result code and the rest of its line.
struct HeldCidLine {
    int nResult = 0;
    std::string sValue;
};

class CCommDriver {
public:
    static constexpr int kInvalidHandle = -1;

    // A driver with a profile, driver settings (at their defaults) and trace
    // switch of its own.
    explicit CCommDriver(IModemUi* pUi = nullptr);
    // A driver on the owner's profile, settings and trace, which outlive it.
    CCommDriver(CModemProfile& profile, CDriverSettings& settings, CModemTrace& trace,
                IModemUi* pUi = nullptr);
    ~CCommDriver();
    CCommDriver(const CCommDriver&) = delete;
    CCommDriver& operator=(const CCommDriver&) = delete;

    void SetUi(IModemUi* pUi) { m_pUi = pUi ? pUi : &m_silentUi; }
    IModemUi& Ui() const { return *m_pUi; }
    CModemProfile& Profile() { return m_profile; }
    const CModemProfile& Profile() const { return m_profile; }
    CDriverSettings& Settings() { return m_settings; }
    const CDriverSettings& Settings() const { return m_settings; }
    // The trace level setting: not 0 writes the modem log, 4 replaces the
    // port by the files "fFrom" and "fTo" in the program folder.
    void SetDebugLevel(int nDebugLevel);

    // ---- channel -------------------------------------------------------
    // Opens COM<port> (its device comes from the port table); the handle, or
    // kInvalidHandle on failure.
    int Open(int nPort, uint32_t dwBaud);
    // Opens a device path directly (the port table is bypassed).
    int OpenDevice(const std::string& sDevice, uint32_t dwBaud);
    bool Close(bool bDeInit);
    bool IsOpen() const { return m_hPort != kInvalidHandle; }
    // Why the last Open or OpenDevice failed ("/dev/ttyACM0: No such file or
    // directory"); empty after one that succeeded.
    std::string OpenError() const;
    int Handle() const { return m_hPort; }
    int PortNumber() const { return m_nPort; }
    uint32_t BaudRate() const { return m_dwBaud; }

    int Read(void* pBuffer, int nCount, int* pnRead = nullptr);
    int ReadByte(unsigned char* pByte);
    int Write(const void* pBuffer, int nCount, int* pnWritten = nullptr);
    void WriteByte(unsigned char b);
    void Purge(unsigned nFlags);
    void SetDefaultTimeouts();
    void SetImmediateTimeouts();
    void SetQuantumTimeouts();
    bool SetEventMask(uint32_t dwMask);
    // Blocks until a character arrives, the time-out passes or the stop
    // request is raised; *pMask gets EV_RXCHAR when a character is waiting.
    bool WaitCommEvent(uint32_t* pMask, uint32_t dwTimeoutMs);
    void CancelIo();
    void Log(std::string_view sText, std::string_view sPrefix);

    // Stop request: breaks every wait of the engine. Safe from any thread.
    void SetStopRequest(bool bStop);
    bool StopRequested() const { return m_bStopRequest.load(); }
    int DeviceFailure() const { return m_nDeviceFailure.load(); }
    void SetDeviceFailure(int n) { m_nDeviceFailure.store(n); }

    // ---- AT engine -----------------------------------------------------
    int WaitResult(uint32_t dwTimeoutMs, int nLimit);
    int CommOut(const std::string& sCommand, int nMode);
    int CommOutS(const std::string& sCommand, int nMode);
    int CommOutT(const std::string& sBytes, int nMode);
    int CommOutNoResult(const std::string& sCommand);
    int RcvString(std::string& sOut, int nLimit, uint32_t dwTimeoutMs, bool bEndAtEmpty,
                  bool bKeepLineEnds);
    int ReceiveVoice(unsigned char* pBuffer, int nSize, uint32_t dwTimeoutMs, bool bCheckEvents,
                     unsigned char* pEvent);
    unsigned char TransmitVoice(const unsigned char* pBuffer, int nLength, bool bCheckEvents);

    void InitModem();
    void InitVoice();
    int Hangup();
    void Shutdown();
    int Dial(const std::string& sNumber, bool bGenerateTones);
    int StopPlay();
    int StopReceive();
    int SetCompression(int nId);
    int SetBitsPerSample(int nBits);
    int SetVoiceBaud(uint32_t dwRate);
    int SetAGC(int nLevel);
    int SetAmericanCID(int nMode);
    int SetInactivityTimer(int nSeconds);
    int SelectLine();
    void EnableToneDetect();
    void SetSilenceDetection();
    int AnswerVoice();
    void SpeakerphoneAnswer();
    void SpeakerphoneDisable();
    void SpeakerphoneUnmute();
    int Flash();
    bool CheckGsmFraming();
    bool OnDleCode(unsigned char code);
    int DtmfValue(char key) const;

    // Caller-ID lines are held, not taken for a command's answer: a caller
    // may ring while the modem is being set up. HoldCidLine reads the rest
    // of the line whose field word was just classified (at most a few lines
    // are kept); TakeHeldCidLines hands them over in the order they came.
    void HoldCidLine(int nResult);
    std::deque<HeldCidLine> TakeHeldCidLines();
    // A ring that came in place of a command's answer (the set-up after a
    // hang-up): true once, for the ring watcher.
    bool TakeHeldRing() { return std::exchange(m_bRingHeld, false); }
    // Forgets the held lines and ring: the line is taken or given back, so
    // they belong to a call that is over.
    void ClearHeldCallData() {
        m_heldCid.clear();
        m_bRingHeld = false;
    }

    // The characters of the last answer, echo and line breaks included.
    const std::string& LineBuffer() const { return m_matcher.Buffer(); }
    void ClearLineBuffer() { m_matcher.Reset(); }

    // Read by the front end's thread (is the modem ready?) while the worker
    // sets the modem up.
    std::atomic<bool> m_bInitialized{false};
    bool m_bVoiceMode = false;
    bool m_bHandsetOffHook = false;
    bool m_bHandsetTracking = false;
    unsigned char m_nLastEvent = 0;
    bool m_bFileEmulation = false;

private:
    friend struct CommDriverTestAccess;

    // What a driver made on its own keeps for itself.
    struct OwnParts {
        CModemProfile profile;
        CDriverSettings settings;
        CModemTrace trace;
    };
    std::unique_ptr<OwnParts> m_pOwn;
    CModemProfile& m_profile;
    CDriverSettings& m_settings;
    CModemTrace& m_trace;

    // One byte within the deadline; 1 read, 0 none, -1 the device failed.
    // bStopWasSet: a stop request already raised does not end this wait.
    int WaitByte(unsigned char* pByte, uint32_t dwStart, uint32_t dwTimeoutMs, bool bStopWasSet);
    void PortFailed();
    std::vector<ResultWord> BuildResultWords() const;
    void RunInitModem();
    void RunInitVoice();
    template <typename Body>
    void GuardInit(Body body);
    int SendFormatCommand(const std::string& sCommand);
    // A command's answer: a ring (once) and caller-ID lines are held and
    // passed over.
    int WaitCommandResult();
    int ReceiveUnshielded(unsigned char* pBuffer, int nSize, uint32_t dwStart, uint32_t dwTimeoutMs,
                          bool bCheckEvents, unsigned char* pEvent);
    bool AlignGsmFrame(uint32_t dwStart, uint32_t dwTimeoutMs);
    void PollTransmitEvents(std::vector<unsigned char>& held);
    int EmulationRead(void* pBuffer);
    int EmulationWrite(const void* pBuffer, int nCount);

    // Marks a port operation in progress, for other threads (and the
    // shutdown) to see; set while the port is idle.
    static void MarkBusy(bool bBusy);
    struct BusyScope {
        BusyScope() { MarkBusy(true); }
        ~BusyScope() { MarkBusy(false); }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;
    };

    IModemUi* m_pUi;
    CSilentModemUi m_silentUi;
    SerialPort m_port;
    mutable std::recursive_mutex m_ioLock;
    // Read without the lock by IsOpen(), also from the front end's thread.
    std::atomic<int> m_hPort{kInvalidHandle};
    int m_nPort = -1;
    std::string m_sOpenError; // under m_ioLock
    uint32_t m_dwBaud = 0;
    std::atomic<bool> m_bStopRequest{false};
    std::atomic<int> m_nDeviceFailure{0};
    long m_nEmulationOffset = 0;
    bool m_bControlLinesNoted = false;
    // The initialisation failure last shown (its string id), 0 once an
    // initialisation succeeds: a modem that fails every retry is told once.
    std::atomic<int> m_nInitFailureShown{0};
    ResponseMatcher m_matcher;
    std::deque<HeldCidLine> m_heldCid;
    bool m_bRingHeld = false;
    // Voice bytes unpacked in one call that did not fit the caller's buffer.
    std::vector<unsigned char> m_voiceCarry;
    std::vector<unsigned char> m_voiceBlock;
};
