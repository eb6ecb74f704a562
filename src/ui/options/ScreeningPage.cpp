#include "options/ScreeningPage.h"

#include "screening/PhoneNumbers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

namespace {
// A day: a caller ringing again later is no repeat caller.
constexpr int kMaxRepeatMinutes = 24 * 60;

QString CountryName(const QString& code) {
    const QLocale::Territory territory = QLocale::codeToTerritory(code);
    return territory == QLocale::AnyTerritory
               ? code
               : QStringLiteral("%1 (%2)").arg(QLocale::territoryToString(territory), code);
}
} // namespace

CScreeningPage::CScreeningPage(QWidget* parent) : COptionsPage(tr("Call Screening"), parent) {
    m_pCountry = new QComboBox(this);
    const QString own = QString::fromStdString(CPhoneNumbers::CountryFromLocale());
    m_pCountry->addItem(
        tr("As the language settings say (%1)").arg(own.isEmpty() ? tr("none") : CountryName(own)),
        QString());
    QList<QPair<QString, QString>> countries;
    for (const std::string& code : CPhoneNumbers::Countries()) {
        const QString c = QString::fromStdString(code);
        countries.append({CountryName(c), c});
    }
    std::sort(countries.begin(), countries.end());
    for (const auto& [name, code] : countries)
        m_pCountry->addItem(name, code);

    // In the order of nBlackAction and nWhiteAction.
    m_pBlocked = new QComboBox(this);
    m_pBlocked->addItems({tr("Show as blocked, let it ring"), tr("Hang up at once"),
                          tr("Play \"number not in service\" and hang up"),
                          tr("Take a message with their own greeting")});
    m_pDrop = new QCheckBox(tr("Always &hang up on blocked callers"), this);
    m_pPermitted = new QComboBox(this);
    m_pPermitted->addItems({tr("As any caller"), tr("Never answered by the machine"),
                            tr("Answered at the first ring")});
    m_pRepeat = new QSpinBox(this);
    m_pRepeat->setRange(0, kMaxRepeatMinutes);
    m_pRepeat->setSuffix(tr(" minutes"));
    m_pRepeat->setSpecialValueText(tr("never"));
    auto* form = new QFormLayout;
    form->addRow(tr("&Country of the numbers:"), m_pCountry);
    form->addRow(tr("&Blocked callers:"), m_pBlocked);
    form->addRow(QString(), m_pDrop);
    form->addRow(tr("&Permitted callers:"), m_pPermitted);
    form->addRow(tr("A caller ringing again &within:"), m_pRepeat);
    Body()->addLayout(form);
    connect(m_pDrop, &QCheckBox::toggled, m_pBlocked, &QWidget::setDisabled);

    m_pPaused = new QCheckBox(tr("P&ause all screening: every call rings"), this);
    m_pChallenge =
        new QCheckBox(tr("Ask &unknown and withheld callers to press a key first"), this);
    m_pMailContacts = new QCheckBox(tr("&E-mail only about calls from contacts"), this);
    Body()->addWidget(m_pPaused);
    Body()->addWidget(m_pChallenge);
    Body()->addWidget(m_pMailContacts);

    auto* fileLabel = new QLabel(tr("Contacts &file:"), this);
    m_pFile = new QLineEdit(this);
    fileLabel->setBuddy(m_pFile);
    auto* browse = new QPushButton(tr("B&rowse..."), this);
    auto* row = new QHBoxLayout;
    row->addWidget(m_pFile, 1);
    row->addWidget(browse);
    Body()->addSpacing(8);
    Body()->addWidget(fileLabel);
    Body()->addLayout(row);
    connect(browse, &QPushButton::clicked, this, &CScreeningPage::Browse);

    auto* note = new QLabel(tr("On an analogue line the caller ID comes after the first ring, so "
                               "the telephones ring once before screening acts; a SIP line acts "
                               "before anything rings."),
                            this);
    note->setWordWrap(true);
    Body()->addSpacing(8);
    Body()->addWidget(note);
    Body()->addStretch(1);
}

void CScreeningPage::Load(const OptionsValues& v) {
    const QString country = QString::fromStdString(v.sCountry).toUpper();
    int index = m_pCountry->findData(country);
    if (index < 0) { // a code the number library does not know: kept as it is
        m_pCountry->addItem(country, country);
        index = m_pCountry->count() - 1;
    }
    m_pCountry->setCurrentIndex(index);
    m_pBlocked->setCurrentIndex(std::clamp(v.nBlackAction, 0, m_pBlocked->count() - 1));
    m_pDrop->setChecked(v.bDropBlackCalls);
    m_pPermitted->setCurrentIndex(std::clamp(v.nWhiteAction, 0, m_pPermitted->count() - 1));
    m_pPaused->setChecked(v.bScreeningPaused);
    m_pRepeat->setValue(v.nRepeatCallerMinutes);
    m_pChallenge->setChecked(v.bChallengeUnknown);
    m_pMailContacts->setChecked(v.bEmailContactsOnly);
    m_pFile->setText(QString::fromStdString(v.sFileContacts));
}

void CScreeningPage::Save(OptionsValues& v) const {
    v.sCountry = m_pCountry->currentData().toString().toStdString();
    v.nBlackAction = m_pBlocked->currentIndex();
    v.bDropBlackCalls = m_pDrop->isChecked();
    v.nWhiteAction = m_pPermitted->currentIndex();
    v.bScreeningPaused = m_pPaused->isChecked();
    v.nRepeatCallerMinutes = m_pRepeat->value();
    v.bChallengeUnknown = m_pChallenge->isChecked();
    v.bEmailContactsOnly = m_pMailContacts->isChecked();
    v.sFileContacts = m_pFile->text().trimmed().toStdString();
}

void CScreeningPage::Browse() {
    const QString file =
        QFileDialog::getSaveFileName(this, tr("Choose the contacts file"), m_pFile->text(),
                                     QString(), nullptr, QFileDialog::DontConfirmOverwrite);
    if (!file.isEmpty())
        m_pFile->setText(file);
}
