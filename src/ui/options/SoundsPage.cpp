#include "options/SoundsPage.h"

#include "app/GreetingRecorder.h"
#include "audio/LocalPlayer.h"
#include "dialogs/RecGreetDlg.h"
#include "dialogs/WaveFilter.h"
#include "engine/HoldSound.h"
#include "frontend/MessageBoxes.h"
#include "platform/ProgramFolder.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
constexpr const char* kLabels[] = {
    QT_TRANSLATE_NOOP("CSoundsPage", "&Default legal message:"),
    QT_TRANSLATE_NOOP("CSoundsPage", "On-hold &music:"),
    QT_TRANSLATE_NOOP("CSoundsPage", "&Hold-On-Hold message:"),
    QT_TRANSLATE_NOOP("CSoundsPage", "PIN &request:"),
    QT_TRANSLATE_NOOP("CSoundsPage", "PIN instructions:"),
    QT_TRANSLATE_NOOP("CSoundsPage", "Before the &menu:"),
    QT_TRANSLATE_NOOP("CSoundsPage", "&New messages:"),
    QT_TRANSLATE_NOOP("CSoundsPage", "No ne&w messages:"),
};
} // namespace

std::string CSoundsPage::SoundPath(const std::string& name) {
    if (name.empty() || name[0] == '/')
        return name;
    const std::string rel = name.rfind("./", 0) == 0 ? name.substr(2) : name;
    std::string folder = GetProgramFolder();
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder + rel;
}

CSoundsPage::CSoundsPage(ISoundBackend& backend, IGreetingLine* pLine, QWidget* parent)
    : COptionsPage(tr("Sounds"), parent), m_backend(backend), m_pLine(pLine),
      m_pPlayer(std::make_unique<CLocalPlayer>(backend)) {
    auto* grid = new QGridLayout;
    for (int i = kGreeting; i < kPinRequest; ++i)
        AddSoundRow(grid, static_cast<Sound>(i), 2 * i);
    grid->setColumnStretch(0, 1);
    Body()->addLayout(grid);

    m_pRecord = new QPushButton(tr("&Record a new greeting..."), this);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_pRecord);
    Body()->addSpacing(8);
    Body()->addLayout(row);
    AddSchedule();
    AddRemoteAccess();
    Body()->addStretch(1);
    connect(m_pRecord, &QPushButton::clicked, this, &CSoundsPage::RecordGreeting);
}

void CSoundsPage::AddSoundRow(QGridLayout* grid, Sound s, int at) {
    Row& r = m_rows[s];
    r.pFile = new QLineEdit(this);
    r.pBrowse = new QPushButton(QStringLiteral("..."), this);
    r.pBrowse->setToolTip(tr("Choose a sound file"));
    r.pBrowse->setMaximumWidth(r.pBrowse->fontMetrics().horizontalAdvance(QStringLiteral("...")) +
                               24);
    r.pPlay = new QPushButton(tr("Play"), this);
    r.pStop = new QPushButton(tr("Stop"), this);
    if (s == kPinInstruct) {
        m_pPinInstruct = new QCheckBox(tr(kLabels[s]), this);
        grid->addWidget(m_pPinInstruct, at, 0, 1, 4);
    } else {
        auto* label = new QLabel(tr(kLabels[s]), this);
        label->setBuddy(r.pFile);
        grid->addWidget(label, at, 0, 1, 4);
    }
    grid->addWidget(r.pFile, at + 1, 0);
    grid->addWidget(r.pBrowse, at + 1, 1);
    grid->addWidget(r.pPlay, at + 1, 2);
    grid->addWidget(r.pStop, at + 1, 3);
    connect(r.pBrowse, &QPushButton::clicked, this, [this, s] { Browse(s); });
    connect(r.pPlay, &QPushButton::clicked, this, [this, s] { Play(s); });
    connect(r.pStop, &QPushButton::clicked, this, [this] { m_pPlayer->Stop(); });
}

void CSoundsPage::AddSchedule() {
    m_pSchedule = new QCheckBox(tr("Choose the greeting by &day and time:"), this);
    m_pScheduleText = new QLineEdit(this);
    m_pScheduleText->setPlaceholderText(
        QStringLiteral("Mon-Fri 08:00-18:00 office.wav; Sat,Sun weekend.wav; * greet.wav"));
    m_pScheduleText->setToolTip(
        tr("Entries separated by \";\", the first that holds the moment wins: days (Mon-Fri, "
           "Sat,Sun), a time range (22:00-06:00 runs over midnight), or both, then the "
           "greeting's file; \"*\" stands for always. A file without a folder is in wave/."));
    m_pScheduleText->setEnabled(false);
    connect(m_pSchedule, &QCheckBox::toggled, m_pScheduleText, &QWidget::setEnabled);
    Body()->addSpacing(8);
    Body()->addWidget(m_pSchedule);
    Body()->addWidget(m_pScheduleText);
}

void CSoundsPage::AddRemoteAccess() {
    Body()->addSpacing(8);
    AddHeading(tr("Remote access by phone"));
    auto* grid = new QGridLayout;
    // Digits only; the dialog's check refuses fewer than four.
    const auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    const auto* pinList =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9;]*")), this);
    m_pPin = new QLineEdit(this);
    m_pPin->setValidator(digits);
    m_pMorePins = new QLineEdit(this);
    m_pMorePins->setValidator(pinList);
    for (QLineEdit* box : {m_pPin, m_pMorePins})
        box->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    auto* pinLabel = new QLabel(tr("&PIN (at least four digits; empty: no remote access):"), this);
    pinLabel->setBuddy(m_pPin);
    auto* moreLabel = new QLabel(tr("M&ore PINs, separated by \";\":"), this);
    moreLabel->setBuddy(m_pMorePins);
    grid->addWidget(pinLabel, 0, 0, 1, 4);
    grid->addWidget(m_pPin, 1, 0, 1, 4);
    grid->addWidget(moreLabel, 2, 0, 1, 4);
    grid->addWidget(m_pMorePins, 3, 0, 1, 4);
    for (int i = kPinRequest; i < kSoundCount; ++i)
        AddSoundRow(grid, static_cast<Sound>(i), 4 + 2 * (i - kPinRequest));
    m_pTollSaver =
        new QCheckBox(tr("&Toll saver: ring two more times when there are no new messages"), this);
    grid->addWidget(m_pTollSaver, 4 + 2 * (kSoundCount - kPinRequest), 0, 1, 4);
    grid->setColumnStretch(0, 1);
    Body()->addLayout(grid);
}

CSoundsPage::~CSoundsPage() = default;

void CSoundsPage::Load(const OptionsValues& v) {
    m_rows[kGreeting].pFile->setText(QString::fromStdString(v.sWaveGreet));
    m_rows[kHoldMusic].pFile->setText(QString::fromStdString(v.sWaveHold));
    m_rows[kHoldMessage].pFile->setText(QString::fromStdString(v.sWaveCompressedHold));
    m_sWait = v.sWaveWait;
    m_pPin->setText(QString::fromStdString(v.sPin));
    m_pMorePins->setText(QString::fromStdString(v.sMorePins));
    m_pPinInstruct->setChecked(v.bPinInstruct);
    m_pTollSaver->setChecked(v.bTollSaver);
    m_pSchedule->setChecked(v.bScheduleGreeting);
    m_pScheduleText->setText(QString::fromStdString(v.sScheduleGreeting));
    for (auto [s, file] : {std::pair{kPinRequest, &v.sPinRequest},
                           {kPinInstruct, &v.sPinInstruct},
                           {kRemoteGlobal, &v.sWaveRemoteGlobal},
                           {kNewMessage, &v.sWaveNewMessage},
                           {kNoNewMessages, &v.sWaveNoNewMessages}})
        m_rows[s].pFile->setText(QString::fromStdString(*file));
    m_nMaxRecordMs = static_cast<unsigned>(std::max(1, v.nUnattendedSeconds)) * 1000u;
}

void CSoundsPage::Save(OptionsValues& v) const {
    v.sWaveGreet = m_rows[kGreeting].pFile->text().trimmed().toStdString();
    v.sWaveHold = m_rows[kHoldMusic].pFile->text().trimmed().toStdString();
    v.sWaveCompressedHold = m_rows[kHoldMessage].pFile->text().trimmed().toStdString();
    v.sWaveWait = m_sWait;
    v.sPin = m_pPin->text().trimmed().toStdString();
    v.sMorePins = m_pMorePins->text().trimmed().toStdString();
    v.bPinInstruct = m_pPinInstruct->isChecked();
    v.bTollSaver = m_pTollSaver->isChecked();
    v.bScheduleGreeting = m_pSchedule->isChecked();
    v.sScheduleGreeting = m_pScheduleText->text().trimmed().toStdString();
    for (auto [s, file] : {std::pair{kPinRequest, &v.sPinRequest},
                           {kPinInstruct, &v.sPinInstruct},
                           {kRemoteGlobal, &v.sWaveRemoteGlobal},
                           {kNewMessage, &v.sWaveNewMessage},
                           {kNoNewMessages, &v.sWaveNoNewMessages}})
        *file = m_rows[s].pFile->text().trimmed().toStdString();
}

void CSoundsPage::Browse(Sound s) {
    const QString start = QString::fromStdString(SoundPath(m_rows[s].pFile->text().toStdString()));
    const QString file =
        QFileDialog::getOpenFileName(this, tr("Choose a sound file"), start, WaveFileFilter());
    if (!file.isEmpty())
        m_rows[s].pFile->setText(file);
}

void CSoundsPage::Play(Sound s) {
    std::string path = SoundPath(m_rows[s].pFile->text().trimmed().toStdString());
    if (s == kHoldMessage) {
        // What a held caller hears, as a line without a modem plays it: the
        // shipped "./dev/hold" is made for the modems from the music on hold.
        const std::string played = EnhancedHoldSound(
            path, SoundPath(m_rows[kHoldMusic].pFile->text().trimmed().toStdString()), nullptr);
        if (!played.empty())
            path = played;
    }
    std::string error;
    m_pPlayer->Stop();
    if (!m_pPlayer->Open(path, &error)) {
        const QString text =
            tr("The sound cannot be played: %1").arg(QString::fromStdString(error));
        OpenMessageBox(this, text.toStdString());
        emit playFailed(text);
        return;
    }
    m_pPlayer->Play();
}

void CSoundsPage::RecordGreeting() {
    m_pPlayer->Stop();
    CGreetingRecorder::Setup setup;
    setup.sFile = m_rows[kGreeting].pFile->text().trimmed().toStdString();
    setup.nMaxRecordMs = m_nMaxRecordMs;
    auto* dlg = new CRecGreetDlg(m_backend, m_pLine, setup, this);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    connect(dlg, &QDialog::accepted, this, [this, dlg] {
        m_rows[kGreeting].pFile->setText(QString::fromStdString(dlg->FileName()));
    });
    dlg->open();
}
