#include "options/WebPage.h"

#include "options/WebPasswordDlg.h"
#include "web/WebSettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSysInfo>
#include <QVBoxLayout>

#include <initializer_list>

CWebPage::CWebPage(QWidget* parent) : COptionsPage(tr("Web Page"), parent) {
    m_pEnable = new QCheckBox(tr("&Serve the web page while Vorella runs"), this);
    m_pEnable->setToolTip(tr("A web browser then shows the line, the calls and the contacts, "
                             "after a login with the password set below."));
    m_pAddress = new QLineEdit(this);
    m_pAddress->setPlaceholderText(QString::fromStdString(WebSettings{}.sListenAddress));
    m_pAddress->setToolTip(tr("127.0.0.1 serves this computer only; 0.0.0.0 every network "
                              "this computer is on."));
    m_pWarning = new QLabel(this);
    m_pWarning->setWordWrap(true);
    QFont bold = m_pWarning->font();
    bold.setBold(true);
    m_pWarning->setFont(bold);
    m_pPort = new QSpinBox(this);
    m_pPort->setRange(1, 65535);
    m_pHttps = new QCheckBox(tr("Use &HTTPS"), this);
    m_pCertFile = new QLineEdit(this);
    m_pKeyFile = new QLineEdit(this);
    for (QLineEdit* file : {m_pCertFile, m_pKeyFile})
        file->setPlaceholderText(tr("made in the program folder at the first start"));
    m_pPasswordNote = new QLabel(this);
    m_pSetPassword = new QPushButton(tr("Set &password..."), this);
    m_pAddressNote = new QLabel(this);
    m_pAddressNote->setWordWrap(true);
    m_pAddressNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pNote = new QLabel(this);
    m_pNote->setWordWrap(true);
    m_pNote->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* form = new QFormLayout;
    form->addRow(m_pEnable);
    form->addRow(tr("&Listen on:"), m_pAddress);
    form->addRow(m_pWarning);
    form->addRow(tr("P&ort:"), m_pPort);
    form->addRow(m_pHttps);
    form->addRow(tr("&Certificate file:"), m_pCertFile);
    form->addRow(tr("&Key file:"), m_pKeyFile);
    auto* password = new QHBoxLayout;
    password->addWidget(m_pPasswordNote, 1);
    password->addWidget(m_pSetPassword);
    form->addRow(tr("Login:"), password);
    Body()->addLayout(form);
    Body()->addSpacing(8);
    Body()->addWidget(m_pAddressNote);
    Body()->addWidget(m_pNote);
    Body()->addStretch(1);

    connect(m_pEnable, &QCheckBox::toggled, this, &CWebPage::Follow);
    connect(m_pAddress, &QLineEdit::textEdited, this, &CWebPage::AddressEdited);
    connect(m_pPort, &QSpinBox::valueChanged, this, &CWebPage::Follow);
    connect(m_pHttps, &QCheckBox::toggled, this, &CWebPage::Follow);
    connect(m_pSetPassword, &QPushButton::clicked, this, &CWebPage::SetPassword);
}

void CWebPage::Load(const OptionsValues& v) {
    m_pEnable->setChecked(v.web.bEnable);
    m_pAddress->setText(QString::fromStdString(v.web.sListenAddress));
    m_bLoopback = IsLoopbackAddress(Address());
    m_pPort->setValue(v.web.nPort);
    m_pHttps->setChecked(v.web.bHttps);
    m_pCertFile->setText(QString::fromStdString(v.web.sCertFile));
    m_pKeyFile->setText(QString::fromStdString(v.web.sKeyFile));
    m_sPasswordHash = v.web.sPasswordHash;
    m_pNote->setText(QString::fromStdString(v.sWebProblem));
    Follow();
}

void CWebPage::Save(OptionsValues& v) const {
    v.web.bEnable = m_pEnable->isChecked();
    v.web.sListenAddress = Address();
    v.web.nPort = static_cast<uint16_t>(m_pPort->value());
    v.web.bHttps = m_pHttps->isChecked();
    v.web.sCertFile = m_pCertFile->text().trimmed().toStdString();
    v.web.sKeyFile = m_pKeyFile->text().trimmed().toStdString();
    v.web.sPasswordHash = m_sPasswordHash;
}

std::string CWebPage::Address() const {
    const std::string typed = m_pAddress->text().trimmed().toStdString();
    return typed.empty() ? WebSettings{}.sListenAddress : typed;
}

void CWebPage::AddressEdited() {
    // Off this computer HTTPS is the default, on it plain HTTP.
    const bool bLoopback = IsLoopbackAddress(Address());
    if (bLoopback != m_bLoopback)
        m_pHttps->setChecked(!bLoopback);
    m_bLoopback = bLoopback;
    Follow();
}

void CWebPage::Follow() {
    const bool bOn = m_pEnable->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_pAddress, m_pPort, m_pHttps, m_pSetPassword})
        w->setEnabled(bOn);
    m_pCertFile->setEnabled(bOn && m_pHttps->isChecked());
    m_pKeyFile->setEnabled(bOn && m_pHttps->isChecked());

    const std::string address = Address();
    const bool bLoopback = IsLoopbackAddress(address);
    QString warning;
    if (!bLoopback)
        warning = tr("Warning: other computers on the network can reach this page and try "
                     "passwords. Choose this only on a network you trust, with a long password.");
    if (!bLoopback && !m_pHttps->isChecked())
        warning += QLatin1Char(' ') + tr("Without HTTPS the password, the calls and the "
                                         "recordings cross the network unencrypted.");
    m_pWarning->setText(warning);
    m_pWarning->setVisible(!warning.isEmpty());

    m_pPasswordNote->setText(m_sPasswordHash.empty() ? tr("No password is set: nobody can log in.")
                                                     : tr("A password is set."));
    // An address of every network is reached by this computer's name.
    const bool bAny = address == "0.0.0.0" || address == "::";
    const std::string host = bAny ? QSysInfo::machineHostName().toStdString() : address;
    const QString url = QString::fromStdString(
        WebPageAddress(host, m_pHttps->isChecked(), static_cast<unsigned>(m_pPort->value())));
    m_pAddressNote->setText(bOn ? tr("Open %1 in a web browser.").arg(url)
                                : tr("Switched on, the page is at %1.").arg(url));
}

void CWebPage::SetPassword() {
    auto* dlg = new CWebPasswordDlg(this);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    connect(dlg, &QDialog::accepted, this, [this, dlg] {
        m_sPasswordHash = dlg->Hash();
        Follow();
    });
    dlg->open();
}
