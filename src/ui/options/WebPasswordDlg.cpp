#include "options/WebPasswordDlg.h"

#include "platform/ProgramFolder.h"
#include "web/Password.h"
#include "web/WebSettings.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CWebPasswordDlg::CWebPasswordDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Web Page Password"));
    m_pPassword = new QLineEdit(this);
    m_pAgain = new QLineEdit(this);
    for (QLineEdit* edit : {m_pPassword, m_pAgain}) {
        edit->setEchoMode(QLineEdit::Password);
        edit->setMaxLength(static_cast<int>(kMaxWebPasswordLength));
    }
    m_pProblem = new QLabel(this);
    m_pProblem->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(tr("&New password:"), m_pPassword);
    form->addRow(tr("The &same again:"), m_pAgain);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CWebPasswordDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CWebPasswordDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Only a hash of the password is kept."), this));
    layout->addLayout(form);
    layout->addWidget(m_pProblem);
    layout->addWidget(buttons);
}

void CWebPasswordDlg::accept() {
    const std::string password = m_pPassword->text().toStdString();
    if (password.size() < kMinWebPasswordLength || password.size() > kMaxWebPasswordLength) {
        m_pProblem->setText(tr("The password must have %1 to %2 characters.")
                                .arg(kMinWebPasswordLength)
                                .arg(kMaxWebPasswordLength));
        return;
    }
    if (m_pAgain->text() != m_pPassword->text()) {
        m_pProblem->setText(tr("The two passwords differ."));
        return;
    }
    // The hash takes a moment and much memory, by design.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string hash = HashWebPassword(password);
    const bool bStored = !hash.empty() && StoreWebPasswordHash(hash);
    QApplication::restoreOverrideCursor();
    if (!bStored) {
        m_pProblem->setText(tr("The password could not be stored in %1.")
                                .arg(QString::fromStdString(GetSettingsPath())));
        return;
    }
    m_sHash = hash;
    QDialog::accept();
}
