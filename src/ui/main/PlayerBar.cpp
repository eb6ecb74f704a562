#include "main/PlayerBar.h"

#include "audio/LocalPlayer.h"
#include "calllog/CallTime.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QShortcut>
#include <QSlider>
#include <QToolButton>

namespace {
QString TimeText(uint32_t ms) {
    return QString::fromStdString(LengthText(static_cast<int>(ms / 1000)));
}
} // namespace

CPlayerBar::CPlayerBar(QWidget* parent)
    : QWidget(parent), m_pPlayer(std::make_unique<CLocalPlayer>(GetSoundBackend())),
      m_pPlay(new QToolButton(this)), m_pPosition(new QSlider(Qt::Horizontal, this)),
      m_pTime(new QLabel(this)), m_pVolume(new QSlider(Qt::Horizontal, this)) {
    setObjectName("PlayerBar");
    m_pPlay->setObjectName("PlayerPlay");
    m_pPlay->setAccessibleName(tr("Play or pause the recording"));
    m_pPlay->setToolTip(tr("Play on this computer (Ctrl+Space)"));
    auto* playKey = new QShortcut(QKeySequence(tr("Ctrl+Space")), this);
    playKey->setContext(Qt::WindowShortcut);
    connect(playKey, &QShortcut::activated, this, &CPlayerBar::TogglePlay);
    m_pPosition->setObjectName("PlayerPosition");
    m_pPosition->setAccessibleName(tr("Position in the recording"));
    m_pPosition->setRange(0, 0);
    m_pTime->setObjectName("PlayerTime");
    m_pTime->setAccessibleName(tr("Position and length"));
    m_pVolume->setObjectName("PlayerVolume");
    m_pVolume->setAccessibleName(tr("Volume"));
    m_pVolume->setToolTip(tr("Volume"));
    m_pVolume->setRange(0, 100);
    m_pVolume->setMaximumWidth(140);
    m_pVolume->setMinimumWidth(60);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_pPlay);
    row->addWidget(m_pPosition, 1);
    row->addWidget(m_pTime);
    auto* volumeLabel = new QLabel(tr("&Volume:"), this);
    volumeLabel->setBuddy(m_pVolume);
    row->addSpacing(12);
    row->addWidget(volumeLabel);
    row->addWidget(m_pVolume);

    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &CPlayerBar::Poll);
    connect(m_pPlay, &QToolButton::clicked, this, &CPlayerBar::TogglePlay);
    // Seeking follows the slider as the user drags it or steps it with keys.
    connect(m_pPosition, &QSlider::valueChanged, this, [this](int ms) {
        if (m_pPosition->isSliderDown() || !m_poll.isActive()) {
            m_pPlayer->Seek(static_cast<uint32_t>(ms));
            ShowTimes();
        }
    });
    connect(m_pPosition, &QSlider::sliderReleased, this,
            [this] { m_pPlayer->Seek(static_cast<uint32_t>(m_pPosition->value())); });
    connect(m_pVolume, &QSlider::valueChanged, this, [this](int v) {
        if (!m_bMuted)
            m_pPlayer->SetVolume(v);
        // Keys move it without a release: they choose at once.
        if (!m_pVolume->isSliderDown())
            emit volumeChosen(v);
    });
    connect(m_pVolume, &QSlider::sliderReleased, this,
            [this] { emit volumeChosen(m_pVolume->value()); });
    Unload();
}

CPlayerBar::~CPlayerBar() = default;

void CPlayerBar::SetIcons(const QIcon& play, const QIcon& pause) {
    m_playIcon = play;
    m_pauseIcon = pause;
    m_pPlay->setIcon(m_pPlayer->IsPlaying() ? m_pauseIcon : m_playIcon);
}

bool CPlayerBar::Load(const std::string& sFile, std::string* pError) {
    if (sFile == m_sFile && !sFile.empty())
        return true;
    m_poll.stop();
    m_sFile.clear();
    const bool ok = m_pPlayer->Open(sFile, pError);
    if (ok)
        m_sFile = sFile;
    m_pPlay->setEnabled(ok);
    m_pPosition->setEnabled(ok);
    {
        const QSignalBlocker block(m_pPosition);
        m_pPosition->setRange(0, static_cast<int>(ok ? m_pPlayer->LengthMs() : 0));
        m_pPosition->setValue(0);
    }
    m_pPlay->setIcon(m_playIcon);
    ShowTimes();
    return ok;
}

void CPlayerBar::Unload() {
    m_poll.stop();
    m_pPlayer->Close();
    m_sFile.clear();
    m_pPlay->setEnabled(false);
    m_pPosition->setEnabled(false);
    const QSignalBlocker block(m_pPosition);
    m_pPosition->setRange(0, 0);
    ShowTimes();
}

void CPlayerBar::SetVolume(int nPercent) {
    const QSignalBlocker block(m_pVolume);
    m_pVolume->setValue(nPercent);
    if (!m_bMuted)
        m_pPlayer->SetVolume(nPercent);
}

int CPlayerBar::Volume() const {
    return m_pVolume->value();
}

void CPlayerBar::SetMuted(bool bMuted) {
    m_bMuted = bMuted;
    m_pPlayer->SetVolume(bMuted ? 0 : m_pVolume->value());
}

void CPlayerBar::SetAutoGain(bool bOn) {
    m_pPlayer->SetAutoGain(bOn);
}

void CPlayerBar::TogglePlay() {
    if (m_sFile.empty())
        return;
    if (m_pPlayer->IsPlaying()) {
        m_pPlayer->Pause();
        m_poll.stop();
        m_pPlay->setIcon(m_playIcon);
    } else {
        m_pPlayer->Play();
        m_poll.start();
        m_pPlay->setIcon(m_pauseIcon);
    }
    ShowTimes();
}

void CPlayerBar::Poll() {
    if (!m_pPosition->isSliderDown()) {
        const QSignalBlocker block(m_pPosition);
        m_pPosition->setValue(static_cast<int>(m_pPlayer->PositionMs()));
    }
    ShowTimes();
    if (!m_pPlayer->IsPlaying()) {
        m_poll.stop();
        m_pPlay->setIcon(m_playIcon);
    }
}

void CPlayerBar::ShowTimes() {
    const uint32_t length = m_sFile.empty() ? 0 : m_pPlayer->LengthMs();
    const uint32_t position = m_sFile.empty() ? 0 : m_pPlayer->PositionMs();
    m_pTime->setText(TimeText(position) + " / " + TimeText(length));
}
