// The worker's set-up step (bReconfigure): the device is let go, the front
// end runs the set-up wizard while the worker waits, and the choice is
// applied, saved and taken into use by restarting the whole program.
#include "engine/MultiThread.h"

#include "engine/CallState.h"
#include "engine/Phone.h"
#include "engine/SetupSteps.h"
#include "modem/ModemSetup.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

// How long a caller-ID question after the wizard waits for its answer.
constexpr uint32_t kSetupQuestionWaitMs = 60000;
// How often the wait for the wizard looks whether the program is ending.
constexpr auto kShutdownPoll = std::chrono::milliseconds(100);
constexpr int kRestartMessage = 4;

} // namespace

SetupWizardStart CMultiThread::SetupStart() const {
    SetupWizardStart start;
    start.nKind = SetupKindFromSettings(m_phone.nTAPI, m_phone.fUseHiPhone, m_phone.fUseComvurgent);
    start.nComPort = m_phone.DriverSettings().nComPort;
    start.sModem = m_phone.sModem;
    start.nTAPILine = m_phone.nTAPILine;
    start.sAdapterSoundCard = m_phone.sAdapterSoundCard;
    start.sAdapterInput = m_phone.sAdapterInput;
    return start;
}

std::optional<SetupWizardResult> CMultiThread::WaitForSetupWizard() {
    // Shared with the callback, which may come after the worker gave up.
    struct Pending {
        std::mutex mutex;
        std::condition_variable cv;
        std::optional<SetupWizardResult> result;
    };
    auto pending = std::make_shared<Pending>();
    m_ui.RunSetupWizard(SetupStart(), [pending](const SetupWizardResult& r) {
        std::lock_guard lock(pending->mutex);
        pending->result = r;
        pending->cv.notify_all();
    });
    std::unique_lock lock(pending->mutex);
    while (!pending->result) {
        if (m_state.bShuttingDown || m_bStop)
            return std::nullopt;
        pending->cv.wait_for(lock, kShutdownPoll);
    }
    return pending->result;
}

void CMultiThread::CheckGsmFraming() {
    // The modem just chosen, with its driver.
    m_phone.ChooseDevice();
    ISerialModemExtras* line = m_phone.Device().SerialExtras();
    if (!line)
        return;
    const uint32_t baud =
        m_phone.dwBaudRate > 0 ? static_cast<uint32_t>(m_phone.dwBaudRate) : 115200u;
    // The line is taken as for a call, so the modem sends what it would
    // send while a caller speaks.
    DetectGsmFraming(line->Driver(), m_phone.sModem, baud, [line](CCommDriver& drv) {
        line->InitForCalls();
        drv.InitVoice();
        drv.AnswerVoice();
    });
}

void CMultiThread::Reconfigure() {
    CloseDevice();
    m_state.bReconfigure = false;
    const std::optional<SetupWizardResult> result = WaitForSetupWizard();
    if (!result)
        return; // the program ends; nothing was chosen
    if (!result->bRun) {
        // Nobody to ask: the device is opened again with the settings as
        // they stand.
        m_state.bPaused = false;
        return;
    }
    Log(result->bCancelled ? "Setup wizard cancelled.\n" : "Setup wizard finished.\n");
    if (result->bCancelled) {
        ApplySetupCancel(m_phone);
    } else {
        ApplySetupFinish(m_phone, *result, m_ui, kSetupQuestionWaitMs);
        if (NeedsGsmFramingCheck(m_phone, *result))
            CheckGsmFraming();
    }
    m_phone.m_workerSettings.sPath = m_recorder.DataPath();
    if (std::string why; !m_phone.SaveAll(&why))
        StepFailed("the settings could not be saved after the setup: " + why);
    // The device stays closed: the program that starts next takes it over.
    // Without a port it comes back paused.
    m_state.bPaused = true;
    if (m_phone.DriverSettings().nComPort < 1)
        m_ui.MonitoringChanged(true);
    m_ui.RestartForNewSettings(kRestartMessage);
}
