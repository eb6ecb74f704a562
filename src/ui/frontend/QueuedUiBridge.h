// The worker's side of the desktop program's UI bridge. The worker calls it
// on its own thread; each call copies its arguments and is queued to the
// thread this object lives on (the UI thread), where the target carries it
// out in the order the calls were made. Nothing here waits for the UI.
#pragma once

#include "engine/UiBridge.h"

#include <QObject>

class CQueuedUiBridge : public QObject, public IUiBridge {
    Q_OBJECT
public:
    // target is used on this object's thread only.
    explicit CQueuedUiBridge(IUiBridge& target, QObject* parent = nullptr);

    void SetStatusText(const std::string& text) override;
    void SetWindowTitle(const std::string& title) override;
    void CallerChanged(const CallerDisplay& caller) override;
    void UpdateCurrentCall(bool bFinished) override;
    void ClearLastPlayed() override;
    void SetCallListFilter(const std::string& text) override;
    void SetTrayTooltip(const std::string& text) override;
    void StartTimer(UiTimer timer, uint32_t ms) override;
    void StopTimer(UiTimer timer) override;
    void ActivateMainWindow() override;
    void ShowPopup() override;
    void SetCallBusy(bool bBusy) override;
    void SetHandsetRecording(bool bOn) override;
    void AppendToneKey(char key) override;
    void MonitoringChanged(bool bPaused) override;
    void ShowMessage(int stringId, MessageIcon icon) override;
    void AskYesNo(int stringId, bool bDefaultYes, std::function<void(bool)> onAnswer) override;
    void RunSetupWizard(const SetupWizardStart& start,
                        std::function<void(const SetupWizardResult&)> onDone) override;
    void RestartForNewSettings(int stringId) override;
    void ShowMessageText(const std::string& text, MessageIcon icon) override;
    void AskYesNoText(const std::string& text, bool bDefaultYes,
                      std::function<void(bool)> onAnswer) override;
    void PortScanDone() override;

private:
    // Runs call on this object's thread, later; dropped if this object is
    // gone by then.
    template <class Call>
    void Post(Call call) {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    }

    IUiBridge& m_target;
};
