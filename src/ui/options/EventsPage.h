// "Events": what happens outside the program on a call, one group box per
// subject. The program started for each call, with "Run now" (a sample
// caller); the text messages to a mobile phone, with "Send test message";
// forwarding, with what it does on the device chosen; the events on an MQTT
// broker, with "Send test event" (the settings as typed). What the last of
// these did, or why it failed, is shown below, and on opening what the
// running MQTT service failed at last.
#pragma once

#include "engine/CallProgram.h"
#include "engine/TextNotice.h"
#include "options/OptionsPage.h"

#include <string>
#include <thread>

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
    // Waits for a test event under way (a few seconds at most).
    ~CEventsPage() override;
    void Load(const OptionsValues& v) override;
    void Save(OptionsValues& v) const override;

    QPushButton* RunNowButton() const { return m_pRunNow; }
    QPushButton* TestMessageButton() const { return m_pTestMessage; }
    QLineEdit* ProgramBox() const { return m_pRunApp; }
    QLineEdit* PhoneBox() const { return m_pPhone; }
    QComboBox* ForwardBox() const { return m_pFwdMethod; }
    QLineEdit* ForwardPhoneBox() const { return m_pFwdPhone; }
    QCheckBox* ForwardBlockedBox() const { return m_pFwdBlack; }
    // What forwarding does on the device kind chosen.
    QLabel* ForwardNote() const { return m_pFwdNote; }
    QCheckBox* MqttBox() const { return m_pMqtt; }
    QLineEdit* MqttHostBox() const { return m_pMqttHost; }
    QSpinBox* MqttPortBox() const { return m_pMqttPort; }
    QComboBox* MqttSecurityBox() const { return m_pMqttSecurity; }
    QLineEdit* MqttCaFileBox() const { return m_pMqttCaFile; }
    QLineEdit* MqttUserBox() const { return m_pMqttUser; }
    QLineEdit* MqttPasswordBox() const { return m_pMqttPassword; }
    QLineEdit* MqttPrefixBox() const { return m_pMqttPrefix; }
    QCheckBox* MqttCommandsBox() const { return m_pMqttCommands; }
    QPushButton* TestEventButton() const { return m_pTestEvent; }
    // The device kind chosen on the device page (kKind...).
    void SetDeviceKind(int nDeviceKind);
    // What "Run now", "Send test message" or "Send test event" did last.
    QLabel* Note() const { return m_pNote; }

private:
    void AddProgramGroup();
    void AddTextMessageGroup();
    void AddForwardGroup();
    void AddMqttGroup();
    void ShowLater(const std::string& text);
    void RunNow();
    void SendTestMessage();
    void SendTestEvent();

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

    QComboBox* m_pFwdMethod;
    QLineEdit* m_pFwdPhone;
    QCheckBox* m_pFwdBlack;
    QLabel* m_pFwdNote;

    QCheckBox* m_pMqtt;
    QLineEdit* m_pMqttHost;
    QSpinBox* m_pMqttPort;
    QComboBox* m_pMqttSecurity;
    QLineEdit* m_pMqttCaFile;
    QLineEdit* m_pMqttUser;
    QLineEdit* m_pMqttPassword;
    QLineEdit* m_pMqttPrefix;
    QCheckBox* m_pMqttCommands;
    QPushButton* m_pTestEvent;
    std::thread m_testEvent;

    QLabel* m_pNote;
    CCallProgram m_program;
    CTextNotice m_sender;
};
