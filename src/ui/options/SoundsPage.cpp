#include "options/SoundsPage.h"

#include "app/GreetingRecorder.h"
#include "audio/LocalPlayer.h"
#include "dialogs/RecGreetDlg.h"
#include "dialogs/WaveFilter.h"
#include "engine/HoldSound.h"
#include "frontend/MessageBoxes.h"
#include "platform/ProgramFolder.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr const char* kLabels[] = {
    QT_TRANSLATE_NOOP("CSoundsPage", "&Default legal message:"),
    QT_TRANSLATE_NOOP("CSoundsPage", "On-hold &music:"),
    QT_TRANSLATE_NOOP("CSoundsPage", "&Hold-On-Hold message:"),
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
    for (int i = 0; i < kSoundCount; ++i) {
        Row& r = m_rows[i];
        r.pFile = new QLineEdit(this);
        r.pBrowse = new QPushButton(QStringLiteral("..."), this);
        r.pBrowse->setToolTip(tr("Choose a sound file"));
        r.pBrowse->setMaximumWidth(
            r.pBrowse->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
        r.pPlay = new QPushButton(tr("Play"), this);
        r.pStop = new QPushButton(tr("Stop"), this);
        auto* label = new QLabel(tr(kLabels[i]), this);
        label->setBuddy(r.pFile);
        grid->addWidget(label, 2 * i, 0, 1, 4);
        grid->addWidget(r.pFile, 2 * i + 1, 0);
        grid->addWidget(r.pBrowse, 2 * i + 1, 1);
        grid->addWidget(r.pPlay, 2 * i + 1, 2);
        grid->addWidget(r.pStop, 2 * i + 1, 3);
        const Sound s = static_cast<Sound>(i);
        connect(r.pBrowse, &QPushButton::clicked, this, [this, s] { Browse(s); });
        connect(r.pPlay, &QPushButton::clicked, this, [this, s] { Play(s); });
        connect(r.pStop, &QPushButton::clicked, this, [this] { m_pPlayer->Stop(); });
    }
    grid->setColumnStretch(0, 1);
    Body()->addLayout(grid);

    m_pRecord = new QPushButton(tr("&Record a new greeting..."), this);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_pRecord);
    Body()->addSpacing(8);
    Body()->addLayout(row);
    Body()->addStretch(1);
    connect(m_pRecord, &QPushButton::clicked, this, &CSoundsPage::RecordGreeting);
}

CSoundsPage::~CSoundsPage() = default;

void CSoundsPage::Load(const OptionsValues& v) {
    m_rows[kGreeting].pFile->setText(QString::fromStdString(v.sWaveGreet));
    m_rows[kHoldMusic].pFile->setText(QString::fromStdString(v.sWaveHold));
    m_rows[kHoldMessage].pFile->setText(QString::fromStdString(v.sWaveCompressedHold));
    m_sWait = v.sWaveWait;
    m_nMaxRecordMs = static_cast<unsigned>(std::max(1, v.nUnattendedSeconds)) * 1000u;
}

void CSoundsPage::Save(OptionsValues& v) const {
    v.sWaveGreet = m_rows[kGreeting].pFile->text().trimmed().toStdString();
    v.sWaveHold = m_rows[kHoldMusic].pFile->text().trimmed().toStdString();
    v.sWaveCompressedHold = m_rows[kHoldMessage].pFile->text().trimmed().toStdString();
    v.sWaveWait = m_sWait;
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
