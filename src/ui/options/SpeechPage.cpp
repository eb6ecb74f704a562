#include "options/SpeechPage.h"

#include "speech/SpeechPhrases.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The caller "Test" says.
constexpr const char* kSampleName = "John Doe";
constexpr const char* kSampleNumber = "5551234";

} // namespace

CSpeechPage::CSpeechPage(QWidget* parent)
    : COptionsPage(tr("Speech"), parent), m_speaker([this](const std::string& why) {
          // On the speaker's thread: the note is set on the page's.
          QMetaObject::invokeMethod(
              this, [this, text = QString::fromStdString(why)] { m_pNote->setText(text); },
              Qt::QueuedConnection);
      }) {
    m_pEnable = new QCheckBox(tr("&Announce incoming callers on the sound card"), this);
    m_pEnable->setToolTip(tr("Not while the tray is set to Busy or Do Not Disturb."));
    Body()->addWidget(m_pEnable);

    // Each part said: a box to say it, and the words said before it.
    auto* grid = new QGridLayout;
    const auto part = [&](int row, const QString& label, QCheckBox*& box, QLineEdit*& words) {
        box = new QCheckBox(label, this);
        words = new QLineEdit(this);
        grid->addWidget(box, row, 0);
        grid->addWidget(words, row, 1);
    };
    part(0, tr("Say &first:"), m_pIncoming, m_pIncomingText);
    part(1, tr("Say the caller's &name after:"), m_pName, m_pNameText);
    part(2, tr("Say the n&umber after:"), m_pNumber, m_pNumberText);
    grid->setColumnStretch(1, 1);
    Body()->addSpacing(8);
    Body()->addLayout(grid);

    m_pOnlyName = new QCheckBox(tr("Say the number &only when there is no name"), this);
    m_pSpellNA = new QCheckBox(tr("Spell \"N A\" when the number is &unavailable"), this);
    Body()->addWidget(m_pOnlyName);
    Body()->addWidget(m_pSpellNA);

    m_pTimes = new QSpinBox(this);
    m_pTimes->setRange(1, 5);
    auto* timesLabel = new QLabel(tr("&Repeat:"), this);
    timesLabel->setBuddy(m_pTimes);
    m_pTest = new QPushButton(tr("&Test"), this);
    m_pTest->setToolTip(tr("Says a sample caller on the sound card."));
    auto* row = new QHBoxLayout;
    row->addWidget(timesLabel);
    row->addWidget(m_pTimes);
    row->addWidget(new QLabel(tr("times"), this));
    row->addStretch(1);
    row->addWidget(m_pTest);
    Body()->addSpacing(8);
    Body()->addLayout(row);
    m_pNote = new QLabel(this);
    m_pNote->setWordWrap(true);
    Body()->addWidget(m_pNote);
    Body()->addStretch(1);
    connect(m_pTest, &QPushButton::clicked, this, &CSpeechPage::Test);
}

void CSpeechPage::Load(const OptionsValues& v) {
    const AnnounceSettings& a = v.announce;
    m_pEnable->setChecked(a.bEnable);
    m_pIncoming->setChecked(a.bIncoming);
    m_pIncomingText->setText(QString::fromStdString(a.sIncoming));
    m_pName->setChecked(a.bName);
    m_pNameText->setText(QString::fromStdString(a.sName));
    m_pNumber->setChecked(a.bNumber);
    m_pNumberText->setText(QString::fromStdString(a.sNumber));
    m_pOnlyName->setChecked(a.bOnlyName);
    m_pSpellNA->setChecked(a.bSpellNA);
    m_pTimes->setValue(AnnounceTimes(a));
}

void CSpeechPage::Save(OptionsValues& v) const {
    AnnounceSettings& a = v.announce;
    a.bEnable = m_pEnable->isChecked();
    a.bIncoming = m_pIncoming->isChecked();
    a.sIncoming = m_pIncomingText->text().trimmed().toStdString();
    a.bName = m_pName->isChecked();
    a.sName = m_pNameText->text().trimmed().toStdString();
    a.bNumber = m_pNumber->isChecked();
    a.sNumber = m_pNumberText->text().trimmed().toStdString();
    a.bOnlyName = m_pOnlyName->isChecked();
    a.bSpellNA = m_pSpellNA->isChecked();
    // A count the spin box cannot show is kept while it is not changed.
    if (m_pTimes->value() != AnnounceTimes(a))
        a.nTimes = m_pTimes->value();
}

void CSpeechPage::Test() {
    OptionsValues v;
    Save(v);
    const SpeechPhrases& phrases = UserPhrases();
    const std::string text =
        CallerAnnouncementText(v.announce, phrases, kSampleName, kSampleNumber);
    if (text.empty()) {
        m_pNote->setText(tr("With these choices nothing is said about the caller."));
        return;
    }
    m_pNote->setText(QString::fromStdString(text));
    m_speaker.Say(text, phrases.language, AnnounceTimes(v.announce));
}
