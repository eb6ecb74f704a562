// The AT engine of CCommDriver: commands, their answers, and the DLE codes
// that arrive among them.
#include "modem/CommDriver.h"

#include "config/VoiceFormat.h"
#include "modem/CommandText.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kNoLimit = 65535;
// Caller-ID lines held for the call engine, and the length of each.
constexpr size_t kMaxHeldCidLines = 8;
constexpr int kMaxHeldCidValue = 255;

// Letters, digits, punctuation and white space (ASCII, as the classic C
// locale classifies them) enter the line buffer; anything else is noise.
bool IsAnswerChar(unsigned char c) {
    return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool EndsWithEquals(const std::string& s) {
    return !s.empty() && s.back() == '=';
}

} // namespace

std::vector<ResultWord> CCommDriver::BuildResultWords() const {
    // The order decides which word wins when several match at once.
    return {
        {kResultOk, m_profile.sStatusOK, "Result_OK: ", false, true},
        {kResultVcon, m_profile.sStatusVCON, "Result_VCON: ", false, true},
        {kResultConnect, m_profile.sStatusCONNECT, "Result_CONNECT: ", false, true},
        {kResultRing, m_profile.sStatusRING1, "Result_RING1: ", false, true},
        {kResultRing, m_profile.sStatusRING2, "Result_RING2: ", false, true},
        {kResultRing, m_profile.sStatusRING3, "Result_RING3: ", false, true},
        {kResultRing, m_profile.sStatusRING4, "Result_RING4: ", false, true},
        {kResultRinging, m_profile.sStatusRINGING, "Result_RINGING: ", false, true},
        {kResultRing, m_profile.sStatusRING, "Result_RING: ", false, false},
        {kResultVoice, m_profile.sStatusVOICE, "Result_VOICE: ", false, true},
        {kResultError, m_profile.sStatusERROR, "Result_ERROR: ", false, true},
        {kResultNoAnswer, m_profile.sStatusNO_ANSWER, "Result_NO_ANSWER: ", false, true},
        {kResultNoCarrier, m_profile.sStatusNO_CARRIER, "Result_NO_CARRIER: ", false, true},
        {kResultNoDialTone, m_profile.sStatusNO_DIAL_TONE, "Result_NO_DIAL_TONE: ", false, true},
        {kResultCallerId, m_profile.sStatusCallerID, "Result_CALLER_ID: ", false, false},
        {kResultCidDate, m_profile.sStatusDATE, "Result_CID_DATE: ", true, false},
        {kResultCidTime, m_profile.sStatusTIME, "Result_CID_TIME: ", true, false},
        {kResultCidNmbr, m_profile.sStatusNMBR, "Result_CID_NMBR: ", true, false},
        {kResultCidName, m_profile.sStatusNAME, "Result_CID_NAME: ", true, false},
        {kResultCidMesg, m_profile.sStatusMESG, "Result_CID_MESG: ", true, false},
        {kResultBusy, m_profile.sStatusBUSY, "Result_BUSY: ", false, false},
    };
}

int CCommDriver::WaitByte(unsigned char* pByte, uint32_t dwStart, uint32_t dwTimeoutMs,
                          bool bStopWasSet) {
    for (;;) {
        if (!bStopWasSet && m_bStopRequest)
            return 0;
        uint32_t elapsed = GetTickCount() - dwStart;
        if (elapsed >= dwTimeoutMs || !IsOpen())
            return 0;
        if (m_bFileEmulation) {
            if (EmulationRead(pByte) == 1)
                return 1;
            SleepMs(1);
            continue;
        }
        std::lock_guard lock(m_ioLock);
        BusyScope busy;
        int n = m_port.ReadWithin(pByte, 1, dwTimeoutMs - elapsed);
        if (n == 1)
            return 1;
        if (n < 0) {
            PortFailed();
            return -1;
        }
    }
}

bool CCommDriver::OnDleCode(unsigned char code) {
    DleVerdict v = ClassifyDleCode(code, {m_bHandsetTracking, m_settings.nLineSelection,
                                          m_settings.bIgnoreBusy, m_settings.bSilenceDetection});
    if (v.handset >= 0)
        m_bHandsetOffHook = v.handset == 1;
    if (v.significant)
        m_nLastEvent = code;
    else if (v.clearLastEvent)
        m_nLastEvent = 0;
    return v.significant;
}

int CCommDriver::DtmfValue(char key) const {
    int i = DtmfIndexOf(key);
    return i >= 0 && i < static_cast<int>(m_settings.m_dtmf.size())
               ? m_settings.m_dtmf[static_cast<size_t>(i)]
               : 0;
}

int CCommDriver::WaitResult(uint32_t dwTimeoutMs, int nLimit) {
    m_matcher.SetWords(BuildResultWords());
    if (!IsOpen())
        return kResultNone;
    const bool bStopWasSet = m_bStopRequest;
    const uint32_t start = GetTickCount();
    const unsigned char eot2 = m_profile.sStatusMODEM_EOT.size() > 1
                                   ? static_cast<unsigned char>(m_profile.sStatusMODEM_EOT[1])
                                   : kEtx;
    int appended = 0;
    while (appended < nLimit) {
        unsigned char b = 0;
        if (WaitByte(&b, start, dwTimeoutMs, bStopWasSet) <= 0)
            break;
        if (b == 0)
            continue;
        if (b == kDle) {
            unsigned char code = 0;
            if (WaitByte(&code, start, dwTimeoutMs, bStopWasSet) <= 0)
                break;
            OnDleCode(code);
            if (code == eot2) {
                if (m_profile.m_nModemType == 100 || m_profile.m_nModemType == 40) {
                    Log("<DLE><ETX>", "Result: ");
                    return kResultEndOfVoice;
                }
            } else if (code == 'R') {
                Log("<DLE>R", "Result: ");
                return kResultRing;
            } else if (code == 'h') {
                m_bHandsetOffHook = false;
                return kResultEndOfVoice;
            } else if (code == 't' || code == 'H') {
                m_bHandsetOffHook = true;
                return kResultEndOfVoice;
            }
            continue;
        }
        if (!IsAnswerChar(b))
            continue;
        ++appended;
        if (const ResultWord* w = m_matcher.Append(static_cast<char>(b))) {
            if (w->drain) {
                // The line end after the word belongs to this answer.
                SetImmediateTimeouts();
                unsigned char rest;
                ReadByte(&rest);
                ReadByte(&rest);
                SetDefaultTimeouts();
            }
            Log(m_matcher.Buffer(), w->logPrefix);
            return w->code;
        }
    }
    Log(m_matcher.Buffer(), "Result_unexpected: ");
    return kResultNone;
}

int CCommDriver::CommOut(const std::string& sCommand, int nMode) {
    if (!IsOpen()) {
        if (nMode == kModeRaise)
            throw ModemCommandFailure{kResultNone};
        return kResultNone;
    }
    if (sCommand.empty())
        return kResultOk;
    int result = kResultNone;
    if (m_settings.bUseAltCmdTransmit) {
        try {
            result = CommOutS(sCommand, nMode);
        } catch (const ModemWriteFailure&) {
            if (nMode == kModeRaise)
                throw;
            result = kResultNone;
        } catch (const ModemCommandFailure& f) {
            // A refusal (ERROR and the like) does not stop the caller; a
            // modem that says nothing at all does, or initialising a dead
            // modem would report success.
            if (f.result == kResultNone && nMode == kModeRaise)
                throw;
            result = kResultNone;
        }
    } else {
        std::string line = m_profile.sCmd + sCommand;
        for (char c : line)
            WriteByte(static_cast<unsigned char>(c));
        WriteByte('\r');
        Log(line, "CommOut: ");
        result = WaitCommandResult();
        if (result <= 0) {
            if (nMode == kModeRaise)
                throw ModemCommandFailure{result};
            return result;
        }
    }
    // A reset takes the modem a moment; slow modems need a pause after each
    // command in compatibility mode.
    if (sCommand.find('Z') != std::string::npos)
        SleepMs(100);
    else if (m_settings.bCompat)
        SleepMs(static_cast<uint32_t>(std::max(m_settings.dwTimeoutQuant, 0)));
    return result;
}

int CCommDriver::CommOutS(const std::string& sCommand, int nMode) {
    if (!IsOpen())
        return kResultNone;
    if (sCommand.empty())
        return kResultOk;
    std::string line = m_profile.sCmd + sCommand + "\r";
    if (Write(line.data(), static_cast<int>(line.size())) == 0)
        throw ModemWriteFailure{};
    Log(line, "CommOutS: ");
    int result = WaitCommandResult();
    if (result <= 0 && nMode == kModeRaise)
        throw ModemCommandFailure{result};
    return result;
}

int CCommDriver::WaitCommandResult() {
    bool bRingSeen = false;
    // A modem that sends nothing but caller-ID lines gives no answer.
    for (size_t i = 0; i < 2 * kMaxHeldCidLines; ++i) {
        int result = WaitResult(static_cast<uint32_t>(m_settings.dwTimeoutDefault), kNoLimit);
        if (result >= kResultCidDate && result <= kResultCidMesg) {
            HoldCidLine(result);
        } else if (result == kResultRing && !bRingSeen) {
            bRingSeen = true;
            m_bRingHeld = true;
        } else {
            return result;
        }
    }
    return kResultNone;
}

void CCommDriver::HoldCidLine(int nResult) {
    std::string value;
    RcvString(value, kMaxHeldCidValue,
              static_cast<uint32_t>(std::max(m_settings.dwTimeoutDefault, 1)), false, false);
    if (m_heldCid.size() < kMaxHeldCidLines)
        m_heldCid.push_back({nResult, std::move(value)});
}

std::deque<HeldCidLine> CCommDriver::TakeHeldCidLines() {
    return std::exchange(m_heldCid, {});
}

int CCommDriver::CommOutT(const std::string& sBytes, int nMode) {
    if (!IsOpen())
        return kResultNone;
    if (sBytes.empty())
        return kResultOk;
    Purge(kPurgeRxAbort | kPurgeRxClear);
    int last = 0;
    for (char c : sBytes)
        last = Write(&c, 1);
    if (last == 0)
        return kResultNone;
    Log(sBytes, "CommOutT: ");
    int result = kResultNone;
    constexpr int kTries = 4;
    for (int i = 0; i < kTries; ++i) {
        result = WaitResult(static_cast<uint32_t>(m_settings.dwTimeoutDefault), kNoLimit);
        if (result >= kResultOk && result <= kResultConnect)
            break;
        if (m_nDeviceFailure)
            break;
        // The modem may have missed the sequence among its own data.
        if (i + 1 < kTries)
            Write(sBytes.data(), static_cast<int>(sBytes.size()));
    }
    if (result <= 0 && nMode == kModeRaise)
        throw ModemCommandFailure{result};
    return result;
}

int CCommDriver::CommOutNoResult(const std::string& sCommand) {
    if (sCommand.empty())
        return -1;
    std::string line =
        sCommand.rfind(m_profile.sCmd, 0) == 0 ? sCommand : m_profile.sCmd + sCommand;
    line += '\r';
    CancelIo();
    Log(line, "CommOutNoResult: ");
    return Write(line.data(), static_cast<int>(line.size())) > 0 ? 0 : -1;
}

int CCommDriver::RcvString(std::string& sOut, int nLimit, uint32_t dwTimeoutMs, bool bEndAtEmpty,
                           bool bKeepLineEnds) {
    sOut.clear();
    if (!IsOpen())
        return 0;
    SetQuantumTimeouts();
    const uint32_t start = GetTickCount();
    while (static_cast<int>(sOut.size()) < nLimit && !m_bStopRequest) {
        unsigned char b = 0;
        if (WaitByte(&b, start, dwTimeoutMs, false) <= 0)
            break;
        if (b == '\r' || b == '\n') {
            if (!bKeepLineEnds && (!sOut.empty() || bEndAtEmpty)) {
                // Take the LF of a CR LF pair with the line.
                WaitByte(&b, GetTickCount(),
                         static_cast<uint32_t>(std::max(m_settings.dwTimeoutQuant, 1)), false);
                break;
            }
            if (bKeepLineEnds)
                sOut.push_back(static_cast<char>(b));
            continue;
        }
        sOut.push_back(static_cast<char>(b));
    }
    Log(sOut, "RcvString: ");
    SetDefaultTimeouts();
    return static_cast<int>(sOut.size());
}

int CCommDriver::StopPlay() {
    SetDefaultTimeouts();
    int result = CommOutT(DecodeEscapes(m_profile.sVoiceStopPlay), kModeResult);
    if (result == kResultEndOfVoice)
        result = WaitResult(static_cast<uint32_t>(m_settings.dwTimeoutDefault), kNoLimit);
    if (m_profile.m_nModemType == 100 || m_profile.m_nModemType == 40 || m_settings.bCompat)
        SleepMs(100);
    return result;
}

int CCommDriver::StopReceive() {
    SetDefaultTimeouts();
    int result = CommOutT(DecodeEscapes(m_profile.sVoiceStopReceive), kModeResult);
    if (m_profile.m_nModemType == 100 || m_profile.m_nModemType == 40 || m_settings.bCompat)
        SleepMs(100);
    return result;
}

int CCommDriver::SetCompression(int nId) {
    const VoiceFormat* format = FindVoiceFormat(nId);
    if (!format)
        return 0;
    std::string cmd = ApplyFormat(m_profile.*format->pSelectCommand,
                                  static_cast<long long>(m_profile.nCompressionSampleRate));
    if (!cmd.empty())
        CommOut(cmd, kModeResult);
    m_profile.nCompression = nId;
    return nId;
}

int CCommDriver::SetBitsPerSample(int nBits) {
    if (m_profile.sVoiceCompressBS.empty())
        return kResultOk;
    const VoiceFormat* format = FindVoiceFormat(m_profile.nCompression);
    std::string arg = format && format->bitsCommand == BitsCommand::FourAndRate
                          ? "4," + std::to_string(m_profile.nCompressionSampleRate)
                          : std::to_string(nBits);
    m_profile.nCompressionBS = nBits;
    return CommOut(m_profile.sVoiceCompressBS + arg, kModeResult);
}

int CCommDriver::SetVoiceBaud(uint32_t dwRate) {
    if (m_profile.sVoiceBaudRate.empty())
        return kResultOk;
    return CommOut(m_profile.sVoiceBaudRate + std::to_string(dwRate / 2400), kModeResult);
}

int CCommDriver::SetAGC(int nLevel) {
    if (m_profile.sVoiceAGC.empty() || nLevel == 0)
        return kResultNone;
    std::string cmd = m_profile.sVoiceAGC;
    if (EndsWithEquals(cmd))
        cmd += std::to_string(nLevel);
    return CommOut(cmd, kModeResult);
}

int CCommDriver::SetAmericanCID(int nMode) {
    std::string cmd = m_profile.sCmdAmericanCID;
    if (EndsWithEquals(cmd))
        cmd += std::to_string(nMode);
    return CommOut(cmd, kModeResult);
}

int CCommDriver::SetInactivityTimer(int nSeconds) {
    if (m_settings.bDisableModemInact)
        return kResultOk;
    // The command is stored with an example value ("S30=60"); the value we
    // send replaces it rather than being glued onto it.
    std::string cmd = m_profile.sCmdInactivTimer;
    size_t eq = cmd.rfind('=');
    if (eq != std::string::npos && cmd.find_first_not_of("0123456789", eq + 1) == std::string::npos)
        cmd.erase(eq + 1);
    return CommOut(cmd + std::to_string(std::clamp(nSeconds, 0, 255)), kModeResult);
}

int CCommDriver::SelectLine() {
    const std::string* pCmd = &m_profile.sVoiceSourceNormal;
    switch (m_settings.nLineSelection) {
    case 1:
        pCmd = &m_profile.sVoiceSourceHandset;
        break;
    case 2:
        pCmd = &m_profile.sVoiceSourceSpeaker;
        break;
    case 3:
        pCmd = &m_profile.sVoiceSourceMic;
        break;
    case 4:
        pCmd = &m_profile.sVoiceSourceMonitor;
        break;
    case 5:
        pCmd = &m_profile.sVoiceSourceSpeakerPhone;
        break;
    default:
        break;
    }
    return CommOut(*pCmd, kModeResult);
}

void CCommDriver::EnableToneDetect() {
    CommOut(m_profile.sVoiceToneDetectAll, kModeResult);
}

// The modem's own silence detection stays off: silence is judged by the
// program (the silence codes only matter when m_settings.bSilenceDetection accepts them).
void CCommDriver::SetSilenceDetection() {
    CommOut(m_profile.sVoiceSilenceDetOff, kModeResult);
}

int CCommDriver::Dial(const std::string& sNumber, bool bGenerateTones) {
    if (!IsOpen() || !m_bInitialized)
        return kResultError;
    // The number may come from a caller's data: nothing in it may end the
    // command line and start another one.
    std::string number;
    for (char c : sNumber)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            number.push_back(c);
    std::string digits = CleanDialNumber(number, bGenerateTones);
    std::string format;
    if (bGenerateTones) {
        if (m_bVoiceMode && !m_profile.sVoiceDialSpeed.empty())
            CommOut(ApplyFormat(m_profile.sVoiceDialSpeed,
                                static_cast<long long>(m_profile.nVoiceDialSpeed)),
                    kModeResult);
        format = m_profile.sVoiceVTS;
    } else {
        format = m_settings.bPulseDial ? m_profile.sCmdPulseDial : m_profile.sCmdToneDial;
    }
    const std::string command = m_profile.sCmd + ApplyFormat(format, digits);
    auto send = [&] {
        CommOutNoResult(command);
        Log(command, bGenerateTones ? "Generated tone: " : "Dialed: ");
        return WaitResult(static_cast<uint32_t>(m_settings.dwDialFor), kNoLimit);
    };
    int result = send();
    if (!bGenerateTones && result == kResultError) {
        CommOut(m_profile.sVoiceSourceNone, kModeResult);
        result = send();
    }
    if (result == kResultError) {
        CommOut(m_profile.sVoiceSourceMonitor, kModeResult);
        result = send();
    }
    return result;
}

int CCommDriver::Hangup() {
    m_bHandsetOffHook = false;
    m_bVoiceMode = false;
    SetDefaultTimeouts();
    try {
        return CommOut(m_profile.sCmdHangup, kModeRaise);
    } catch (const ModemCommandFailure&) {
        return kResultNone;
    } catch (const ModemWriteFailure&) {
        return kResultNone;
    }
}

void CCommDriver::Shutdown() {
    // Another thread may be waiting on the modem: let it go. Our own hang-up
    // and reset below still wait for their answers (a stop request raised
    // before a wait does not end it).
    SetStopRequest(true);
    m_bInitialized = false;
    m_bVoiceMode = false;
    m_bHandsetOffHook = false;
    if (IsOpen())
        Hangup();
    Close(true);
}

int CCommDriver::AnswerVoice() {
    if (!m_bInitialized)
        return kResultNone;
    if (m_bVoiceMode) {
        CommOut(m_profile.sVoiceSwitchToVoice, kModeResult);
        SetVoiceBaud(m_dwBaud);
    } else {
        InitVoice();
    }
    int result = SelectLine();
    if (!m_profile.sCmdAnswer.empty() && m_settings.nLineSelection != 1 &&
        m_settings.nLineSelection != 2 && m_settings.nLineSelection != 3) {
        result = CommOut(m_profile.sCmdAnswer, kModeResult);
        if (m_profile.m_nModemType != 100 && m_profile.m_nModemType != 40 &&
            m_profile.m_nModemType != 20 && m_profile.m_nModemType != 25)
            result = SelectLine();
    }
    return result;
}

void CCommDriver::SpeakerphoneAnswer() {
    if (!m_bInitialized)
        return;
    if (!m_bVoiceMode)
        InitVoice();
    CommOut(m_profile.sVoiceSpeakerphoneEnable, kModeResult);
    CommOut(m_profile.sCmdAnswer, kModeResult);
}

void CCommDriver::SpeakerphoneDisable() {
    if (m_bInitialized)
        CommOut(m_profile.sVoiceSpeakerphoneDisable, kModeResult);
}

void CCommDriver::SpeakerphoneUnmute() {
    if (m_bInitialized)
        CommOut(m_profile.sVoiceSpeakerphoneUnmute, kModeResult);
}

int CCommDriver::Flash() {
    if (!m_bInitialized)
        InitModem();
    if (!m_bVoiceMode)
        InitVoice();
    return CommOut(m_profile.sVoiceFlash, kModeResult);
}
