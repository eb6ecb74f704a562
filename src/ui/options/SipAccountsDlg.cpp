#include "options/SipAccountsDlg.h"

#include "app/SipAccountsLogic.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// How often the open line is asked while the dialog is open.
constexpr int kFollowMs = 1000;
} // namespace

CSipAccountsDlg::CSipAccountsDlg(QWidget* parent) : QDialog(parent), m_accounts(LoadSipAccounts()) {
    setWindowTitle(tr("SIP Accounts"));
    m_pList = new QListWidget(this);
    m_pAdd = new QPushButton(tr("&Add"), this);
    m_pRemove = new QPushButton(tr("&Remove"), this);
    m_pName = new QLineEdit(this);
    m_pName->setPlaceholderText(tr("user@registrar"));
    m_pRegistrar = new QLineEdit(this);
    m_pRegistrar->setPlaceholderText(tr("none: calls straight to this computer"));
    m_pUser = new QLineEdit(this);
    m_pPassword = new QLineEdit(this);
    m_pPassword->setEchoMode(QLineEdit::Password);
    m_pTransport = new QComboBox(this);
    // In the order of SipTransport.
    m_pTransport->addItems({tr("UDP"), tr("TCP"), tr("TLS")});
    m_pAddress = new QLineEdit(this);
    m_pAddress->setPlaceholderText(tr("every interface"));
    m_pPort = new QSpinBox(this);
    m_pPort->setRange(0, 65535);
    m_pPort->setSpecialValueText(tr("any free port"));
    m_pProblems = new QLabel(this);
    m_pProblems->setTextFormat(Qt::PlainText);
    m_pProblems->setWordWrap(true);
    m_pProblems->setVisible(false);
    // The registrar's reason phrase is a stranger's text, never markup.
    m_pRegistration = new QLabel(this);
    m_pRegistration->setTextFormat(Qt::PlainText);
    m_pRegistration->setWordWrap(true);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_pAdd);
    buttons->addWidget(m_pRemove);
    buttons->addStretch(1);
    auto* list = new QHBoxLayout;
    list->addWidget(m_pList, 1);
    list->addLayout(buttons);

    auto* form = new QFormLayout;
    form->addRow(tr("&Name:"), m_pName);
    form->addRow(tr("Re&gistrar:"), m_pRegistrar);
    form->addRow(tr("&User:"), m_pUser);
    form->addRow(tr("&Password:"), m_pPassword);
    form->addRow(tr("&Transport:"), m_pTransport);
    form->addRow(tr("&Listen address:"), m_pAddress);
    form->addRow(tr("P&ort:"), m_pPort);
    form->addRow(tr("Registration:"), m_pRegistration);

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(box, &QDialogButtonBox::accepted, this, &CSipAccountsDlg::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CSipAccountsDlg::reject);

    auto* top = new QVBoxLayout(this);
    top->addLayout(list);
    top->addLayout(form);
    top->addWidget(m_pProblems);
    top->addWidget(box);

    for (const SipAccount& a : m_accounts)
        m_pList->addItem(ListText(a));
    connect(m_pList, &QListWidget::currentRowChanged, this, [this](int nRow) {
        Keep();
        Show(nRow);
    });
    connect(m_pAdd, &QPushButton::clicked, this, &CSipAccountsDlg::Add);
    connect(m_pRemove, &QPushButton::clicked, this, &CSipAccountsDlg::Remove);
    connect(m_pName, &QLineEdit::textEdited, this, [this] { Keep(); });
    connect(m_pUser, &QLineEdit::textEdited, this, [this] { Keep(); });
    connect(m_pRegistrar, &QLineEdit::textEdited, this, [this] { Keep(); });
    if (m_accounts.empty())
        Show(-1);
    else
        m_pList->setCurrentRow(0);

    auto* follow = new QTimer(this);
    connect(follow, &QTimer::timeout, this, &CSipAccountsDlg::FollowRegistration);
    follow->start(kFollowMs);
    FollowRegistration();
}

CSipAccountsDlg::~CSipAccountsDlg() {
    if (m_asking.joinable())
        m_asking.join();
}

void CSipAccountsDlg::FollowRegistration() {
    if (m_bAsking)
        return;
    if (m_asking.joinable())
        m_asking.join();
    m_bAsking = true;
    m_asking = std::thread([this] {
        SipLineRegistration r = OpenLineRegistration();
        // Queued to this object: dropped with it when the dialog is gone.
        QMetaObject::invokeMethod(
            this,
            [this, r = std::move(r)] {
                m_registration = r;
                m_bAsking = false;
                ShowRegistration();
            },
            Qt::QueuedConnection);
    });
}

void CSipAccountsDlg::ShowRegistration() {
    using State = SipLineRegistration::State;
    const SipLineRegistration& r = m_registration;
    QString text;
    if (m_nShown < 0)
        text.clear();
    else if (r.state == State::NotOpen ||
             r.sLine != m_accounts[static_cast<size_t>(m_nShown)].LineName())
        text = tr("not in use: its line is not open");
    else if (r.state == State::Direct)
        text = tr("no registrar: calls come straight to this computer");
    else if (r.state == State::Failed)
        text = tr("%1; trying again").arg(QString::fromStdString(r.sText));
    else
        text = QString::fromStdString(r.sText);
    m_pRegistration->setText(text);
}

QString CSipAccountsDlg::ListText(const SipAccount& a) const {
    const std::string name = a.LineName();
    return name.empty() ? tr("(new account)") : QString::fromStdString(name);
}

void CSipAccountsDlg::Show(int nRow) {
    m_nShown = nRow >= 0 && nRow < static_cast<int>(m_accounts.size()) ? nRow : -1;
    const SipAccount a = m_nShown >= 0 ? m_accounts[static_cast<size_t>(m_nShown)] : SipAccount{};
    m_pName->setText(QString::fromStdString(a.sName));
    m_pRegistrar->setText(QString::fromStdString(a.sRegistrar));
    m_pUser->setText(QString::fromStdString(a.sUser));
    m_pPassword->setText(QString::fromStdString(a.sPassword));
    m_pTransport->setCurrentIndex(static_cast<int>(a.transport));
    m_pAddress->setText(QString::fromStdString(a.sBindAddress));
    m_pPort->setValue(a.nPort);
    for (QWidget* w : std::initializer_list<QWidget*>{m_pName, m_pRegistrar, m_pUser, m_pPassword,
                                                      m_pTransport, m_pAddress, m_pPort})
        w->setEnabled(m_nShown >= 0);
    m_pRemove->setEnabled(m_nShown >= 0);
    m_pAdd->setEnabled(static_cast<int>(m_accounts.size()) < kMaxSipAccounts);
    ShowRegistration();
}

void CSipAccountsDlg::Keep() {
    if (m_nShown < 0)
        return;
    SipAccount& a = m_accounts[static_cast<size_t>(m_nShown)];
    a.sName = m_pName->text().toStdString();
    a.sRegistrar = m_pRegistrar->text().trimmed().toStdString();
    a.sUser = m_pUser->text().trimmed().toStdString();
    a.sPassword = m_pPassword->text().toStdString();
    a.transport = static_cast<SipTransport>(m_pTransport->currentIndex());
    a.sBindAddress = m_pAddress->text().trimmed().toStdString();
    a.nPort = m_pPort->value();
    if (QListWidgetItem* item = m_pList->item(m_nShown))
        item->setText(ListText(a));
}

void CSipAccountsDlg::Add() {
    Keep();
    m_accounts.push_back(SipAccount{});
    m_pList->addItem(ListText(m_accounts.back()));
    m_pList->setCurrentRow(static_cast<int>(m_accounts.size()) - 1);
    m_pUser->setFocus();
}

void CSipAccountsDlg::Remove() {
    if (m_nShown < 0)
        return;
    const int nRow = m_nShown;
    m_nShown = -1; // its fields are not kept
    m_accounts.erase(m_accounts.begin() + nRow);
    delete m_pList->takeItem(nRow);
    Show(m_pList->currentRow());
}

void CSipAccountsDlg::accept() {
    Keep();
    std::vector<std::string> problems = CheckSipAccounts(m_accounts);
    std::string error;
    if (problems.empty() && !SaveSipAccounts(m_accounts, &error))
        problems.push_back(error);
    if (!problems.empty()) {
        QStringList lines;
        for (const std::string& p : problems)
            lines << QString::fromStdString(p);
        m_pProblems->setText(lines.join('\n'));
        m_pProblems->setVisible(true);
        return;
    }
    QDialog::accept();
}
