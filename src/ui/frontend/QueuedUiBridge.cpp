#include "frontend/QueuedUiBridge.h"

// Every lambda captures by value: the caller's strings may be gone by the
// time the UI thread runs it.

CQueuedUiBridge::CQueuedUiBridge(IUiBridge& target, QObject* parent)
    : QObject(parent), m_target(target) {}

void CQueuedUiBridge::SetStatusText(const std::string& text) {
    Post([this, text] { m_target.SetStatusText(text); });
}

void CQueuedUiBridge::SetWindowTitle(const std::string& title) {
    Post([this, title] { m_target.SetWindowTitle(title); });
}

void CQueuedUiBridge::CallerChanged(const CallerDisplay& caller) {
    Post([this, caller] { m_target.CallerChanged(caller); });
}

void CQueuedUiBridge::UpdateCurrentCall(bool bFinished) {
    Post([this, bFinished] { m_target.UpdateCurrentCall(bFinished); });
}

void CQueuedUiBridge::ClearLastPlayed() {
    Post([this] { m_target.ClearLastPlayed(); });
}

void CQueuedUiBridge::SetCallListFilter(const std::string& text) {
    Post([this, text] { m_target.SetCallListFilter(text); });
}

void CQueuedUiBridge::SetTrayTooltip(const std::string& text) {
    Post([this, text] { m_target.SetTrayTooltip(text); });
}

void CQueuedUiBridge::StartTimer(UiTimer timer, uint32_t ms) {
    Post([this, timer, ms] { m_target.StartTimer(timer, ms); });
}

void CQueuedUiBridge::StopTimer(UiTimer timer) {
    Post([this, timer] { m_target.StopTimer(timer); });
}

void CQueuedUiBridge::ActivateMainWindow() {
    Post([this] { m_target.ActivateMainWindow(); });
}

void CQueuedUiBridge::ShowPopup() {
    Post([this] { m_target.ShowPopup(); });
}

void CQueuedUiBridge::SetCallBusy(bool bBusy) {
    Post([this, bBusy] { m_target.SetCallBusy(bBusy); });
}

void CQueuedUiBridge::SetHandsetRecording(bool bOn) {
    Post([this, bOn] { m_target.SetHandsetRecording(bOn); });
}

void CQueuedUiBridge::AppendToneKey(char key) {
    Post([this, key] { m_target.AppendToneKey(key); });
}

void CQueuedUiBridge::MonitoringChanged(bool bPaused) {
    Post([this, bPaused] { m_target.MonitoringChanged(bPaused); });
}

void CQueuedUiBridge::ShowMessage(int stringId, MessageIcon icon) {
    Post([this, stringId, icon] { m_target.ShowMessage(stringId, icon); });
}

void CQueuedUiBridge::AskYesNo(int stringId, bool bDefaultYes,
                               std::function<void(bool)> onAnswer) {
    Post([this, stringId, bDefaultYes, onAnswer = std::move(onAnswer)] {
        m_target.AskYesNo(stringId, bDefaultYes, onAnswer);
    });
}

void CQueuedUiBridge::RunSetupWizard(const SetupWizardStart& start,
                                     std::function<void(const SetupWizardResult&)> onDone) {
    Post([this, start, onDone = std::move(onDone)] { m_target.RunSetupWizard(start, onDone); });
}

void CQueuedUiBridge::RestartForNewSettings(int stringId) {
    Post([this, stringId] { m_target.RestartForNewSettings(stringId); });
}

void CQueuedUiBridge::ShowMessageText(const std::string& text, MessageIcon icon) {
    Post([this, text, icon] { m_target.ShowMessageText(text, icon); });
}

void CQueuedUiBridge::AskYesNoText(const std::string& text, bool bDefaultYes,
                                   std::function<void(bool)> onAnswer) {
    Post([this, text, bDefaultYes, onAnswer = std::move(onAnswer)] {
        m_target.AskYesNoText(text, bDefaultYes, onAnswer);
    });
}

void CQueuedUiBridge::PortScanDone() {
    Post([this] { m_target.PortScanDone(); });
}
