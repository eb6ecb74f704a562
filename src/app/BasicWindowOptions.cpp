// "&Configuration...": the options dialog. Monitoring pauses while it is
// open; the values come from the worker's settings and go back to them on
// OK, on the worker's thread, so the next call is handled with them. The
// loop keeps running throughout: the waits for the worker are steps.
#include "app/AppState.h"
#include "app/BasicWindow.h"
#include "app/MqttService.h"
#include "app/WebService.h"
#include "config/SettingsProvider.h"
#include "engine/CallState.h"
#include "platform/AutoStart.h"
#include "platform/ProgramFolder.h"

#include <unistd.h>

void CBasicWindow::OpenOptions() {
    if (m_bOptionsOpen)
        return;
    m_bOptionsOpen = true;
    // Relative sound and profile names are the program folder's.
    if (chdir(GetProgramFolder().c_str()) != 0)
        m_frontEnd.Message("Vorella could not change to its program folder " + GetProgramFolder());
    m_bOptionsWasRunning = !CallFlagsNow().bPaused;
    if (m_bOptionsWasRunning)
        ToggleMonitoring();
    auto read = std::make_shared<CHandOver<OptionsValues>>();
    m_pWorker->ReadOptions(read);
    m_pWorker->Wake();
    WaitThen(
        m_nSwitchWaitMs, [read] { return read->Ready(); },
        [this, read] {
            std::optional<OptionsValues> values = read->Take();
            if (!values) {
                m_frontEnd.Message("The call engine did not hand over its settings in time; "
                                   "the options cannot be shown now.");
                OptionsDone();
                return;
            }
            values->bAutoStart = IsAutoStart();
            if (m_pMqtt)
                values->events.sMqttProblem = m_pMqtt->LastProblem();
            if (m_pWeb)
                values->sWebProblem = m_pWeb->LastProblem();
            if (!m_frontEnd.ShowOptions(*values, [this](std::optional<OptionsValues> chosen) {
                    OptionsClosed(std::move(chosen));
                })) {
                m_frontEnd.OnWindowCommand(kCmdOptions);
                OptionsDone();
            }
        });
}

void CBasicWindow::OptionsClosed(std::optional<OptionsValues> chosen) {
    if (!chosen) {
        OptionsDone();
        return;
    }
    if (chosen->bAutoStart != IsAutoStart() && !SetAutoStart(chosen->bAutoStart))
        m_frontEnd.Message("Vorella could not " +
                           std::string(chosen->bAutoStart ? "write" : "remove") +
                           " its autostart entry " + AutoStartEntryPath());
    g_bShowMainDlg = !chosen->bStartToTray;
    auto applied = std::make_shared<CHandOver<OptionsOutcome>>();
    m_pWorker->ApplyOptions(*chosen, applied);
    m_pWorker->Wake();
    WaitThen(
        m_nSwitchWaitMs, [applied] { return applied->Ready(); },
        [this, applied] {
            std::optional<OptionsOutcome> out = applied->Take();
            if (!out)
                m_frontEnd.Message("The call engine did not take the new settings in time; "
                                   "they take effect at the next start.");
            else {
                if (!out->bSaved)
                    m_frontEnd.Message("The settings are in use but could not be saved: " +
                                       out->sSaveError);
                if (out->bKindBeep)
                    m_frontEnd.Beep();
                if (out->bDataPathChanged)
                    m_frontEnd.DataPathChanged(out->sDataPath);
                // A line that talks at the PC reads the headset's buttons.
                if (out->bDeviceKindChanged)
                    WatchHookButtons();
                if (out->bMqttChanged && m_pMqtt)
                    m_pMqtt->Start(SettingsProvider(), m_pWorker->CallEvents());
                if (out->bWebChanged && m_pWeb)
                    m_pWeb->Start();
                // The loop watches their descriptors anew.
                if (out->bMqttChanged || out->bWebChanged)
                    m_frontEnd.WatchedChanged();
            }
            if (!SettingsProvider().SetInt("bFlashOnNewMsg", g_bFlashOnNewMsg ? 1 : 0))
                m_frontEnd.Message("Vorella could not write bFlashOnNewMsg to " +
                                   GetSettingsPath());
            OptionsDone();
        });
}

void CBasicWindow::OptionsDone() {
    // The main window exists after the dialog, shown or not.
    m_frontEnd.ShowMainWindow(false);
    m_bOptionsOpen = false;
    if (m_bOptionsWasRunning && CallFlagsNow().bPaused)
        ToggleMonitoring();
}
