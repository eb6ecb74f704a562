// Modem and voice initialisation: the command sequences and the way their
// failures reach the user.
#include "modem/CommDriver.h"

#include "config/VoiceFormat.h"
#include "modem/CommandText.h"
#include "platform/Strings.h"

#include <exception>

template <typename Body>
void CCommDriver::GuardInit(Body body) {
    // The worker retries a modem that failed; the user hears of the failure
    // when it starts or changes, the trace at every retry.
    auto fail = [this](int id) {
        m_nDeviceFailure = 1;
        if (m_nInitFailureShown.exchange(id) == id)
            Log(std::string(LoadStr(id)) + " (again)", "Init: ");
        else
            Ui().ShowMessage(LoadStr(id), MsgIcon::Error);
    };
    try {
        body();
        m_nInitFailureShown = 0;
    } catch (const ModemWriteFailure&) {
        fail(57708);
        Shutdown();
    } catch (const ModemCommandFailure&) {
        if (IsOpen())
            fail(57677);
    } catch (const std::exception&) {
        fail(57707);
    }
}

void CCommDriver::InitModem() {
    m_bInitialized = false;
    m_bVoiceMode = false;
    m_nDeviceFailure = 0;
    if (!IsOpen())
        return;
    GuardInit([this] { RunInitModem(); });
}

void CCommDriver::RunInitModem() {
    if (bFasterModemInit) {
        for (const std::string& line : PackInitCommands(sCmdInit0, sCmdResponseOn, sCmdUseEnglish,
                                                        sCmdEchoOff, sCmdDevSpecificInit))
            CommOut(line, kModeRaise);
        SetInactivityTimer(dwInactiveTimer / 1000);
    } else {
        CommOut(sCmdInit0, kModeResult);
        CommOut(sCmdResponseOn, kModeResult);
        CommOut(sCmdUseEnglish, kModeResult);
        CommOut(sCmdEchoOff, kModeRaise);
        SetInactivityTimer(dwInactiveTimer / 1000);
        if (!sCmdDevSpecificInit.empty())
            CommOut(sCmdDevSpecificInit, kModeRaise);
    }
    m_bInitialized = true;
    m_nDeviceFailure = 0;
}

void CCommDriver::InitVoice() {
    if (!IsOpen())
        return;
    if (!bFasterModemInit)
        m_bHandsetOffHook = false;
    // This family enters voice mode by itself when it answers.
    if (m_nModemType == 20) {
        m_bVoiceMode = true;
        return;
    }
    GuardInit([this] { RunInitVoice(); });
}

void CCommDriver::RunInitVoice() {
    std::string rateCmd;
    if (!sVoiceCompressSampleRate.empty())
        rateCmd = sVoiceCompressSampleRate + std::to_string(nCompressionSampleRate);
    if (bFasterModemInit) {
        CommOut(sVoiceSwitchToVoice, kModeRaise);
        bool separate = m_nModemType == 100 || m_nModemType == 40;
        for (const std::string& line :
             PackVoiceInitCommands(rateCmd, sCmdDevSpecificVoiceInit, separate))
            CommOut(line, kModeRaise);
        SetVoiceBaud(m_dwBaud);
        SetAGC(iAGC);
        if (TakesBitsCommand(nCompression))
            SetBitsPerSample(nCompressionBS);
        SetCompression(nCompression);
        EnableToneDetect();
        SetSilenceDetection();
    } else {
        CommOut(sVoiceSwitchToVoice, kModeRaise);
        if (TakesBitsCommand(nCompression))
            SetBitsPerSample(nCompressionBS);
        SetCompression(nCompression);
        if (!rateCmd.empty())
            CommOut(rateCmd, kModeResult);
        SetVoiceBaud(m_dwBaud);
        SetAGC(iAGC);
        EnableToneDetect();
        SetSilenceDetection();
        if (!sCmdDevSpecificVoiceInit.empty())
            CommOut(sCmdDevSpecificVoiceInit, kModeRaise);
    }
    m_bVoiceMode = true;
}
