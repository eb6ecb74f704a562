// "Events": what happens outside the program on a call, one group box per
// subject. The program started for each call, with "Run now" (a sample
// caller), and the text messages to a mobile phone, with "Send test
// message". What the last of these did, or why it failed, is shown below.
#pragma once

#include "engine/CallProgram.h"
#include "engine/TextNotice.h"
#include "options/OptionsPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class CEventsPage : public COptionsPage {
    Q_OBJECT
public:
    explicit CEventsPage(QWidget* parent = nullptr);
    void Load(const OptionsValues& v) override;
    void Save(OptionsValues& v) const override;

    QPushButton* RunNowButton() const { return m_pRunNow; }
    QPushButton* TestMessageButton() const { return m_pTestMessage; }
    QLineEdit* ProgramBox() const { return m_pRunApp; }
    QLineEdit* PhoneBox() const { return m_pPhone; }
    // What "Run now" or "Send test message" did last.
    QLabel* Note() const { return m_pNote; }

private:
    void AddProgramGroup();
    void AddTextMessageGroup();
    void ShowLater(const std::string& text);
    void RunNow();
    void SendTestMessage();

    QCheckBox* m_pRunProg;
    QLineEdit* m_pRunApp;
    QLineEdit* m_pRunParam;
    QCheckBox* m_pRunAfter;
    QCheckBox* m_pRunNotAnsw;
    QCheckBox* m_pRunPause;
    QCheckBox* m_pRunDisableBlack;
    QPushButton* m_pRunNow;

    QLineEdit* m_pPhone;
    QComboBox* m_pPort;
    QLineEdit* m_pMessage;
    QSpinBox* m_pRetries;
    QSpinBox* m_pDelay;
    QCheckBox* m_pMissedToo;
    QCheckBox* m_pContactsOnly;
    QPushButton* m_pTestMessage;
    std::string m_sSerialSetting; // kept as it came

    QLabel* m_pNote;
    CCallProgram m_program;
    CTextNotice m_sender;
};
