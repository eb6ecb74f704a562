#include "options/EmailPage.h"

#include "config/SettingsProvider.h"
#include "frontend/MessageBoxes.h"
#include "notify/MailSpool.h"
#include "notify/TestMail.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

CEmailPage::CEmailPage(QWidget* parent)
    : COptionsPage(tr("E-Mail Notification"), parent),
      m_pAlive(std::make_shared<std::atomic<bool>>(true)) {
    m_pEmail = new QCheckBox(tr("&Email me about incoming calls automatically"), this);
    Body()->addWidget(m_pEmail);

    // "Only notify if there were [n] rings or more"
    m_pRings = new QSpinBox(this);
    m_pRings->setRange(0, 99);
    auto* onlyIf = new QLabel(tr("&Only notify if there were"), this);
    onlyIf->setBuddy(m_pRings);
    auto* rings = new QHBoxLayout;
    rings->addSpacing(20);
    rings->addWidget(onlyIf);
    rings->addWidget(m_pRings);
    rings->addWidget(new QLabel(tr("rings or more"), this));
    rings->addStretch(1);
    Body()->addLayout(rings);

    m_pAddress = new QLineEdit(this);
    auto* addressLabel = new QLabel(tr("E-mail &address:"), this);
    addressLabel->setBuddy(m_pAddress);
    Body()->addWidget(addressLabel);
    Body()->addWidget(m_pAddress);

    m_pDirect = new QCheckBox(tr("Send &directly via SMTP server"), this);
    Body()->addSpacing(6);
    Body()->addWidget(m_pDirect);
    m_pServer = new QLineEdit(this);
    auto* serverLabel = new QLabel(tr("Se&rver address (e.g. mail.yourisp.com):"), this);
    serverLabel->setBuddy(m_pServer);
    Body()->addWidget(serverLabel);
    Body()->addWidget(m_pServer);

    m_pPort = new QSpinBox(this);
    m_pPort->setRange(1, 65535);
    m_pSecurity = new QComboBox(this);
    m_pSecurity->addItems({tr("None"), tr("STARTTLS"), tr("TLS")});
    m_pUser = new QLineEdit(this);
    m_pPassword = new QLineEdit(this);
    m_pPassword->setEchoMode(QLineEdit::Password);
    auto* grid = new QGridLayout;
    auto addPair = [&](int row, int col, const QString& text, QWidget* w) {
        auto* label = new QLabel(text, this);
        label->setBuddy(w);
        grid->addWidget(label, row, col);
        grid->addWidget(w, row, col + 1);
    };
    addPair(0, 0, tr("&Port:"), m_pPort);
    addPair(0, 2, tr("Encr&yption:"), m_pSecurity);
    addPair(1, 0, tr("&User:"), m_pUser);
    addPair(1, 2, tr("Pass&word:"), m_pPassword);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    Body()->addLayout(grid);

    // "Keep trying a notice the server did not take for [n] hours"
    m_pRetryHours = new QSpinBox(this);
    m_pRetryHours->setRange(kMinMailRetryHours, kMaxMailRetryHours);
    auto* retryLabel = new QLabel(tr("&Keep trying a notice the server did not take for"), this);
    retryLabel->setBuddy(m_pRetryHours);
    auto* retry = new QHBoxLayout;
    retry->addWidget(retryLabel);
    retry->addWidget(m_pRetryHours);
    retry->addWidget(new QLabel(tr("hours"), this));
    retry->addStretch(1);
    Body()->addLayout(retry);

    m_pTest = new QPushButton(tr("Send &test message"), this);
    auto* testRow = new QHBoxLayout;
    testRow->addStretch(1);
    testRow->addWidget(m_pTest);
    Body()->addLayout(testRow);
    Body()->addStretch(1);

    connect(m_pEmail, &QCheckBox::toggled, this, &CEmailPage::UpdateEnabled);
    connect(m_pDirect, &QCheckBox::toggled, this, &CEmailPage::UpdateEnabled);
    connect(m_pTest, &QPushButton::clicked, this, &CEmailPage::SendTest);
    // The usual port of each kind of connection, when the port was the usual
    // one of the kind before.
    connect(m_pSecurity, &QComboBox::currentIndexChanged, this, [this](int index) {
        static constexpr int kUsual[] = {25, 587, 465};
        const int port = m_pPort->value();
        if (port == 25 || port == 587 || port == 465)
            m_pPort->setValue(kUsual[index < 0 || index > 2 ? 0 : index]);
    });
}

CEmailPage::~CEmailPage() {
    *m_pAlive = false;
    if (m_test.joinable())
        m_test.join();
}

void CEmailPage::Load(const OptionsValues& v) {
    m_pEmail->setChecked(v.bEmail);
    m_pRings->setValue(v.nRings);
    m_pAddress->setText(Q(v.sRecipient));
    m_pDirect->setChecked(v.bSmtpDirect);
    m_pServer->setText(Q(v.sSmtp));
    const QSignalBlocker keepPort(m_pSecurity);
    m_pSecurity->setCurrentIndex(v.nSmtpSecurity);
    m_pPort->setValue(v.nSmtpPort);
    m_pUser->setText(Q(v.sSmtpUser));
    m_pPassword->setText(Q(v.sSmtpPassword));
    m_pRetryHours->setValue(v.nMailRetryHours);
    UpdateEnabled();
}

void CEmailPage::Save(OptionsValues& v) const {
    v.bEmail = m_pEmail->isChecked();
    v.nRings = m_pRings->value();
    v.sRecipient = m_pAddress->text().trimmed().toStdString();
    v.bSmtpDirect = m_pDirect->isChecked();
    v.sSmtp = m_pServer->text().trimmed().toStdString();
    v.nSmtpPort = m_pPort->value();
    v.nSmtpSecurity = m_pSecurity->currentIndex();
    v.sSmtpUser = m_pUser->text().trimmed().toStdString();
    v.sSmtpPassword = m_pPassword->text().toStdString();
    v.nMailRetryHours = m_pRetryHours->value();
}

void CEmailPage::UpdateEnabled() {
    const bool bSmtp = m_pDirect->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_pServer, m_pPort, m_pSecurity, m_pUser,
                                                      m_pPassword, m_pTest, m_pRetryHours})
        w->setEnabled(bSmtp);
    m_pRings->setEnabled(m_pEmail->isChecked());
}

void CEmailPage::SendTest() {
    OptionsValues v;
    Save(v);
    if (v.sSmtp.empty() || v.sRecipient.empty()) {
        ShowTestResult(false, tr("Type the server's address and your e-mail address first."));
        return;
    }
    if (m_test.joinable())
        m_test.join();
    // What is typed here, with the rest of the mail settings as stored.
    MailSettings s = ReadMailSettings(SettingsProvider().Snapshot());
    s.m_sSmtp = v.sSmtp;
    s.server.m_nSmtpPort = v.nSmtpPort;
    s.server.m_nSmtpSecurity = v.nSmtpSecurity;
    s.server.m_sSmtpUser = v.sSmtpUser;
    s.server.m_sSmtpPassword = v.sSmtpPassword;
    m_pTest->setEnabled(false);
    m_pTest->setText(tr("Sending..."));
    QPointer<CEmailPage> self(this);
    auto alive = m_pAlive;
    const std::string to = v.sRecipient;
    m_test = std::thread([s, to, self, alive] {
        const NotifyOutcome out = SendTestMail(s, to);
        if (!*alive)
            return;
        const bool bSent = out.nSmtpSent == 1;
        const QString said = QString::fromStdString(out.sLastResponse);
        QString text = bSent ? tr("The test message was sent to %1.\n\nThe server said: %2")
                                   .arg(QString::fromStdString(to), said)
                             : tr("The test message could not be sent.");
        for (const std::string& e : out.errors)
            text += "\n" + QString::fromStdString(e);
        if (!bSent && !out.sLastResponse.empty())
            text += "\n\n" + tr("The server said: %1").arg(said);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, bSent, text] {
                if (self)
                    self->ShowTestResult(bSent, text);
            },
            Qt::QueuedConnection);
    });
}

void CEmailPage::ShowTestResult(bool bSent, const QString& text) {
    m_pTest->setText(tr("Send &test message"));
    UpdateEnabled();
    OpenMessageBox(this, text.toStdString(),
                   bSent ? MessageIcon::Information : MessageIcon::Exclamation);
    emit testFinished(bSent, text);
}
