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
    if (m_settings.bFasterModemInit) {
        for (const std::string& line : PackInitCommands(
                 m_profile.sCmdInit0, m_profile.sCmdResponseOn, m_profile.sCmdUseEnglish,
                 m_profile.sCmdEchoOff, m_profile.sCmdDevSpecificInit))
            CommOut(line, kModeRaise);
        SetInactivityTimer(m_settings.dwInactiveTimer / 1000);
    } else {
        CommOut(m_profile.sCmdInit0, kModeResult);
        CommOut(m_profile.sCmdResponseOn, kModeResult);
        CommOut(m_profile.sCmdUseEnglish, kModeResult);
        CommOut(m_profile.sCmdEchoOff, kModeRaise);
        SetInactivityTimer(m_settings.dwInactiveTimer / 1000);
        if (!m_profile.sCmdDevSpecificInit.empty())
            CommOut(m_profile.sCmdDevSpecificInit, kModeRaise);
    }
    m_bInitialized = true;
    m_nDeviceFailure = 0;
}

void CCommDriver::InitVoice() {
    if (!IsOpen())
        return;
    if (!m_settings.bFasterModemInit)
        m_bHandsetOffHook = false;
    // This family enters voice mode by itself when it answers.
    if (m_profile.m_nModemType == 20) {
        m_bVoiceMode = true;
        return;
    }
    GuardInit([this] { RunInitVoice(); });
}

void CCommDriver::RunInitVoice() {
    std::string rateCmd;
    if (!m_profile.sVoiceCompressSampleRate.empty())
        rateCmd =
            m_profile.sVoiceCompressSampleRate + std::to_string(m_profile.nCompressionSampleRate);
    if (m_settings.bFasterModemInit) {
        CommOut(m_profile.sVoiceSwitchToVoice, kModeRaise);
        bool separate = m_profile.m_nModemType == 100 || m_profile.m_nModemType == 40;
        for (const std::string& line :
             PackVoiceInitCommands(rateCmd, m_profile.sCmdDevSpecificVoiceInit, separate))
            CommOut(line, kModeRaise);
        SetVoiceBaud(m_dwBaud);
        SetAGC(m_settings.iAGC);
        if (TakesBitsCommand(m_profile.nCompression))
            SetBitsPerSample(m_profile.nCompressionBS);
        SetCompression(m_profile.nCompression);
        EnableToneDetect();
        SetSilenceDetection();
    } else {
        CommOut(m_profile.sVoiceSwitchToVoice, kModeRaise);
        if (TakesBitsCommand(m_profile.nCompression))
            SetBitsPerSample(m_profile.nCompressionBS);
        SetCompression(m_profile.nCompression);
        if (!rateCmd.empty())
            CommOut(rateCmd, kModeResult);
        SetVoiceBaud(m_dwBaud);
        SetAGC(m_settings.iAGC);
        EnableToneDetect();
        SetSilenceDetection();
        if (!m_profile.sCmdDevSpecificVoiceInit.empty())
            CommOut(m_profile.sCmdDevSpecificVoiceInit, kModeRaise);
    }
    m_bVoiceMode = true;
}
