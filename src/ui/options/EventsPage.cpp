#include "options/EventsPage.h"

#include "engine/CallForwarding.h"
#include "notify/SmsText.h"
#include "options/DevicePage.h"
#include "platform/SerialPorts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

CEventsPage::CEventsPage(QWidget* parent)
    : COptionsPage(tr("Events"), parent),
      m_program([this](const std::string& text) { ShowLater(text); }, [](bool) {}),
      m_sender([this](const std::string& text) { ShowLater(text); }) {
    AddProgramGroup();
    AddTextMessageGroup();
    AddForwardGroup();
    AddMqttGroup();
    m_pNote = new QLabel(this);
    m_pNote->setWordWrap(true);
    m_pNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Body()->addWidget(m_pNote);
    Body()->addStretch(1);
    m_sender.StartSending();
}

CEventsPage::~CEventsPage() {
    if (m_testEvent.joinable())
        m_testEvent.join();
}

void CEventsPage::AddProgramGroup() {
    auto* group = new QGroupBox(tr("Program for each call"), this);
    auto* form = new QFormLayout(group);
    m_pRunProg = new QCheckBox(tr("&Start a program for each call"), group);
    m_pRunApp = new QLineEdit(group);
    m_pRunApp->setPlaceholderText(QStringLiteral("/usr/local/bin/on-call"));
    m_pRunParam = new QLineEdit(group);
    m_pRunParam->setToolTip(
        tr("The words call.number, call.name, call.file and call.event become the call's "
           "values, each one whole argument. No shell is involved."));
    m_pRunAfter = new QCheckBox(tr("&After the call, not when the caller is known"), group);
    m_pRunNotAnsw = new QCheckBox(tr("Only for calls &nobody answered"), group);
    m_pRunPause = new QCheckBox(tr("&Pause monitoring while it runs"), group);
    m_pRunDisableBlack = new QCheckBox(tr("Not for &blocked callers"), group);
    m_pRunNow = new QPushButton(tr("&Run now"), group);
    m_pRunNow->setToolTip(tr("Starts the program for a sample caller."));
    form->addRow(m_pRunProg);
    form->addRow(tr("Pro&gram:"), m_pRunApp);
    form->addRow(tr("Ar&guments:"), m_pRunParam);
    for (QCheckBox* box : {m_pRunAfter, m_pRunNotAnsw, m_pRunPause, m_pRunDisableBlack})
        form->addRow(box);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_pRunNow);
    form->addRow(row);
    Body()->addWidget(group);
    connect(m_pRunNow, &QPushButton::clicked, this, &CEventsPage::RunNow);
}

void CEventsPage::AddTextMessageGroup() {
    auto* group = new QGroupBox(tr("Text messages"), this);
    auto* form = new QFormLayout(group);
    m_pPhone = new QLineEdit(group);
    m_pPhone->setToolTip(tr("The mobile phone told of each message; empty sends none."));
    m_pPort = new QComboBox(group);
    m_pPort->setToolTip(tr("The port of a mobile-network modem (not the line's modem)."));
    m_pMessage = new QLineEdit(group);
    m_pMessage->setPlaceholderText(QString::fromUtf8(kDefaultSmsPattern));
    m_pMessage->setToolTip(
        tr("The words call.event, call.name, call.number and call.seconds become the call's "
           "values; one message of at most 160 characters is sent."));
    m_pRetries = new QSpinBox(group);
    m_pRetries->setRange(0, 10);
    m_pDelay = new QSpinBox(group);
    m_pDelay->setRange(0, 3600);
    m_pDelay->setSuffix(tr(" s"));
    m_pMissedToo = new QCheckBox(tr("Also for calls &nobody answered"), group);
    m_pContactsOnly = new QCheckBox(tr("Only for &contacts"), group);
    m_pTestMessage = new QPushButton(tr("Send &test message"), group);
    form->addRow(tr("&Send to:"), m_pPhone);
    form->addRow(tr("&Modem port:"), m_pPort);
    form->addRow(tr("Te&xt:"), m_pMessage);
    auto* tries = new QHBoxLayout;
    tries->addWidget(m_pRetries);
    tries->addWidget(new QLabel(tr("times,"), group));
    tries->addWidget(m_pDelay);
    tries->addWidget(new QLabel(tr("apart"), group));
    tries->addStretch(1);
    // A row whose field is a layout gets no buddy by itself, and a label
    // without one shows its '&' instead of a shortcut.
    auto* triesLabel = new QLabel(tr("Tr&y again:"), group);
    triesLabel->setBuddy(m_pRetries);
    form->addRow(triesLabel, tries);
    form->addRow(m_pMissedToo);
    form->addRow(m_pContactsOnly);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_pTestMessage);
    form->addRow(row);
    Body()->addWidget(group);
    connect(m_pTestMessage, &QPushButton::clicked, this, &CEventsPage::SendTestMessage);
}

void CEventsPage::AddForwardGroup() {
    auto* group = new QGroupBox(tr("Forwarding"), this);
    auto* form = new QFormLayout(group);
    // In the order of nFwdMethod's values (kForwardMethods).
    static_assert(std::size(kForwardMethods) == 4);
    m_pFwdMethod = new QComboBox(group);
    m_pFwdMethod->addItems(
        {tr("Off"), tr("Always"), tr("When the machine would answer"), tr("After the message")});
    m_pFwdPhone = new QLineEdit(group);
    m_pFwdBlack = new QCheckBox(tr("Also &blocked callers"), group);
    m_pFwdNote = new QLabel(group);
    m_pFwdNote->setWordWrap(true);
    form->addRow(tr("&Forward:"), m_pFwdMethod);
    form->addRow(tr("T&o number:"), m_pFwdPhone);
    form->addRow(m_pFwdBlack);
    form->addRow(m_pFwdNote);
    Body()->addWidget(group);
}

void CEventsPage::SetDeviceKind(int nDeviceKind) {
    m_pFwdNote->setText(
        ForwardsTheCall(nDeviceKind)
            ? tr("On this telephony line the call itself is sent on: redirected before it is "
                 "answered, transferred after the message.")
            : tr("A modem or adapter line cannot send a call on: once a message is stored, "
                 "Vorella dials the number and plays the message."));
}

void CEventsPage::AddMqttGroup() {
    auto* group = new QGroupBox(tr("Home automation (MQTT)"), this);
    auto* form = new QFormLayout(group);
    m_pMqtt = new QCheckBox(tr("Publish the call &events on an MQTT broker"), group);
    m_pMqttHost = new QLineEdit(group);
    m_pMqttHost->setPlaceholderText(QStringLiteral("localhost"));
    m_pMqttPort = new QSpinBox(group);
    m_pMqttPort->setRange(1, 65535);
    m_pMqttSecurity = new QComboBox(group);
    m_pMqttSecurity->addItems({tr("None"), tr("TLS")});
    m_pMqttCaFile = new QLineEdit(group);
    m_pMqttCaFile->setToolTip(
        tr("The certificate authority's file for TLS; empty uses the system's."));
    m_pMqttUser = new QLineEdit(group);
    m_pMqttPassword = new QLineEdit(group);
    m_pMqttPassword->setEchoMode(QLineEdit::Password);
    m_pMqttPrefix = new QLineEdit(group);
    m_pMqttPrefix->setToolTip(tr("The events go to <prefix>/event, the line's state to "
                                 "<prefix>/state."));
    m_pMqttCommands = new QCheckBox(tr("Take &commands from the broker"), group);
    m_pTestEvent = new QPushButton(tr("Send test &event"), group);
    m_pTestEvent->setToolTip(tr("Publishes a test event with the settings as typed here."));
    form->addRow(m_pMqtt);
    form->addRow(tr("&Broker:"), m_pMqttHost);
    form->addRow(tr("P&ort:"), m_pMqttPort);
    form->addRow(tr("Encr&yption:"), m_pMqttSecurity);
    form->addRow(tr("Certificate a&uthority:"), m_pMqttCaFile);
    form->addRow(tr("&User:"), m_pMqttUser);
    form->addRow(tr("Pass&word:"), m_pMqttPassword);
    form->addRow(tr("Topic &prefix:"), m_pMqttPrefix);
    form->addRow(m_pMqttCommands);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_pTestEvent);
    form->addRow(row);
    Body()->addWidget(group);
    connect(m_pTestEvent, &QPushButton::clicked, this, &CEventsPage::SendTestEvent);
}

void CEventsPage::Load(const OptionsValues& v) {
    const CallProgramValues& p = v.events.program;
    m_pRunProg->setChecked(p.bRunProg);
    m_pRunApp->setText(QString::fromStdString(p.sRunApp));
    m_pRunParam->setText(QString::fromStdString(p.sRunParam));
    m_pRunAfter->setChecked(p.bRunAfter);
    m_pRunNotAnsw->setChecked(p.bRunNotAnsw);
    m_pRunPause->setChecked(p.bRunPause);
    m_pRunDisableBlack->setChecked(p.bRunDisableBlack);

    const TextMessageValues& t = v.events.text;
    m_pPhone->setText(QString::fromStdString(t.sPhone));
    m_pPort->clear();
    for (int n : ListComPorts())
        m_pPort->addItem(CDevicePage::PortText(n), n);
    if (m_pPort->findData(t.nPort) < 0)
        m_pPort->addItem(CDevicePage::PortText(t.nPort), t.nPort);
    m_pPort->setCurrentIndex(m_pPort->findData(t.nPort));
    m_pMessage->setText(QString::fromStdString(t.sMessage));
    m_pRetries->setValue(t.nRetries);
    m_pDelay->setValue(t.nDelaySeconds);
    m_pMissedToo->setChecked(!t.bUnattended);
    m_pContactsOnly->setChecked(t.bContactsOnly);
    m_sSerialSetting = t.sSerialSetting;

    const ForwardValues& f = v.events.forward;
    m_pFwdMethod->setCurrentIndex(static_cast<int>(ForwardMethodOf(f.nFwdMethod).method));
    m_pFwdPhone->setText(QString::fromStdString(f.sFwdPhone));
    m_pFwdBlack->setChecked(f.bFwdBlack);
    SetDeviceKind(v.nDeviceKind);

    const MqttSettings& m = v.events.mqtt;
    m_pMqtt->setChecked(m.bEnable);
    m_pMqttHost->setText(QString::fromStdString(m.sHost));
    m_pMqttPort->setValue(m.nPort);
    m_pMqttSecurity->setCurrentIndex(m.nSecurity);
    m_pMqttCaFile->setText(QString::fromStdString(m.sCaFile));
    m_pMqttUser->setText(QString::fromStdString(m.sUser));
    m_pMqttPassword->setText(QString::fromStdString(m.sPassword));
    m_pMqttPrefix->setText(QString::fromStdString(m.sTopicPrefix));
    m_pMqttCommands->setChecked(m.bCommands);
    if (!v.events.sMqttProblem.empty())
        m_pNote->setText(
            tr("The MQTT service failed: %1").arg(QString::fromStdString(v.events.sMqttProblem)));
}

void CEventsPage::Save(OptionsValues& v) const {
    CallProgramValues& p = v.events.program;
    p.bRunProg = m_pRunProg->isChecked();
    p.sRunApp = m_pRunApp->text().trimmed().toStdString();
    p.sRunParam = m_pRunParam->text().toStdString();
    p.bRunAfter = m_pRunAfter->isChecked();
    p.bRunNotAnsw = m_pRunNotAnsw->isChecked();
    p.bRunPause = m_pRunPause->isChecked();
    p.bRunDisableBlack = m_pRunDisableBlack->isChecked();

    TextMessageValues& t = v.events.text;
    t.sPhone = m_pPhone->text().trimmed().toStdString();
    t.nPort = m_pPort->currentData().toInt();
    t.sMessage = m_pMessage->text().toStdString();
    t.nRetries = m_pRetries->value();
    t.nDelaySeconds = m_pDelay->value();
    t.bUnattended = !m_pMissedToo->isChecked();
    t.bContactsOnly = m_pContactsOnly->isChecked();
    t.sSerialSetting = m_sSerialSetting;

    ForwardValues& f = v.events.forward;
    f.nFwdMethod = m_pFwdMethod->currentIndex();
    f.sFwdPhone = m_pFwdPhone->text().trimmed().toStdString();
    f.bFwdBlack = m_pFwdBlack->isChecked();

    MqttSettings& m = v.events.mqtt;
    m.bEnable = m_pMqtt->isChecked();
    m.sHost = m_pMqttHost->text().trimmed().toStdString();
    m.nPort = m_pMqttPort->value();
    m.nSecurity = m_pMqttSecurity->currentIndex();
    m.sCaFile = m_pMqttCaFile->text().trimmed().toStdString();
    m.sUser = m_pMqttUser->text().toStdString();
    m.sPassword = m_pMqttPassword->text().toStdString();
    m.sTopicPrefix = m_pMqttPrefix->text().trimmed().toStdString();
    m.bCommands = m_pMqttCommands->isChecked();
}

// On a program's or the sender's thread: the note is set on the page's.
void CEventsPage::ShowLater(const std::string& text) {
    QMetaObject::invokeMethod(
        this, [this, note = QString::fromStdString(text)] { m_pNote->setText(note); },
        Qt::QueuedConnection);
}

void CEventsPage::RunNow() {
    OptionsValues v;
    Save(v);
    m_program.SetSettings(v.events.program.Settings());
    m_pNote->setText(tr("Starting the program..."));
    m_program.Run(SampleCallFacts());
}

void CEventsPage::SendTestMessage() {
    OptionsValues v;
    Save(v);
    TextNoticeSettings s = v.events.text.Settings();
    s.nRetries = 0; // the user sees at once what went wrong
    if (SmsRecipient(s.sPhone).empty()) {
        m_pNote->setText(tr("Enter the mobile phone's number to send a test message to."));
        return;
    }
    m_sender.SetSettings(s);
    m_pNote->setText(tr("Sending a test message..."));
    m_sender.Send(SampleCallFields());
}

void CEventsPage::SendTestEvent() {
    OptionsValues v;
    Save(v);
    MqttSettings s = v.events.mqtt;
    s.Normalise();
    if (s.sHost.empty()) {
        m_pNote->setText(tr("Enter the broker's address to send a test event to."));
        return;
    }
    if (m_testEvent.joinable())
        m_testEvent.join();
    m_pTestEvent->setEnabled(false);
    m_pNote->setText(tr("Sending a test event..."));
    m_testEvent = std::thread([this, s] {
        const QString why = QString::fromStdString(::SendTestEvent(s));
        const QString topic = QString::fromStdString(s.sTopicPrefix + "/event");
        QMetaObject::invokeMethod(
            this,
            [this, why, topic] {
                m_pTestEvent->setEnabled(true);
                m_pNote->setText(why.isEmpty() ? tr("The test event was sent to %1.").arg(topic)
                                               : tr("The test event was not sent: %1").arg(why));
            },
            Qt::QueuedConnection);
    });
}
