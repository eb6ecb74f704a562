// The greeting recorder: records a new greeting through the modem or from a
// sound card, plays it back through the modem or on the sound card, and on
// OK keeps it in the greeting's place; Cancel or Discard throw the new take
// away and leave the old greeting as it was. Modal; the logic is
// CGreetingRecorder's.
#pragma once

#include "app/GreetingRecorder.h"

#include <QDialog>
#include <QTimer>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CRecGreetDlg : public QDialog {
    Q_OBJECT
public:
    // line may be null when no worker runs (the modem's buttons are off).
    CRecGreetDlg(ISoundBackend& backend, IGreetingLine* pLine,
                 const CGreetingRecorder::Setup& setup, QWidget* parent = nullptr);
    ~CRecGreetDlg() override;

    // The greeting file after OK, for sWaveGreet.
    std::string FileName() const;

    // For tests and the options dialog's help text.
    QPushButton* RecordModemButton() const { return m_pRecordModem; }
    QPushButton* PlayModemButton() const { return m_pPlayModem; }
    QPushButton* RecordCardButton() const { return m_pRecordCard; }
    QPushButton* ListenButton() const { return m_pListen; }
    QPushButton* StopButton() const { return m_pStop; }
    QPushButton* DiscardButton() const { return m_pDiscard; }
    QPushButton* HelpButton() const { return m_pHelp; }
    QComboBox* VoiceSourceBox() const { return m_pSource; }
    QComboBox* SoundInputBox() const { return m_pInput; }
    QLineEdit* FileBox() const { return m_pFile; }
    QString Status() const;

    void accept() override;
    void reject() override;

private:
    // Starts a request, or shows why it cannot start.
    void Start(bool bStarted);
    void Browse();
    // Timer 3: follows the running request and the buttons' states.
    void OnTick();
    void UpdateControls();

    CGreetingRecorder m_recorder;
    bool m_bHaveLine;
    QTimer m_timer;
    QLineEdit* m_pFile;
    QComboBox* m_pInput;
    QComboBox* m_pSource;
    QPushButton* m_pRecordModem;
    QPushButton* m_pPlayModem;
    QPushButton* m_pRecordCard;
    QPushButton* m_pListen;
    QPushButton* m_pStop;
    QPushButton* m_pDiscard;
    QPushButton* m_pBrowse;
    QPushButton* m_pOk;
    QPushButton* m_pHelp;
    QLabel* m_pStatus;
};
