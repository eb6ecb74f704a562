// The player bar under the call list: play and pause the chosen recording
// on this computer's sound card, seek with the position slider, see its
// length, set the volume (m_iVolume).
#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>

class CLocalPlayer;
class QLabel;
class QSlider;
class QToolButton;

class CPlayerBar : public QWidget {
    Q_OBJECT
public:
    // The position is looked at this often while playing (and only then).
    static constexpr int kPollMs = 100;

    explicit CPlayerBar(QWidget* parent = nullptr);
    ~CPlayerBar() override;

    // Loads a recording; false with the reason when it cannot be played.
    bool Load(const std::string& sFile, std::string* pError);
    void Unload();
    // The file loaded ("" when none).
    const std::string& File() const { return m_sFile; }
    void SetVolume(int nPercent);
    int Volume() const;
    void SetMuted(bool bMuted);
    // Quiet recordings raised to a comfortable level.
    void SetAutoGain(bool bOn);
    void SetIcons(const QIcon& play, const QIcon& pause);
    // Plays the loaded recording from its position, or pauses it.
    void TogglePlay();

    QToolButton* PlayButton() const { return m_pPlay; }
    QSlider* PositionSlider() const { return m_pPosition; }
    QSlider* VolumeSlider() const { return m_pVolume; }
    QLabel* TimeLabel() const { return m_pTime; }

signals:
    // The user let go of the volume slider.
    void volumeChosen(int nPercent);

private:
    void Poll();
    void ShowTimes();

    std::unique_ptr<CLocalPlayer> m_pPlayer;
    std::string m_sFile;
    QToolButton* m_pPlay;
    QSlider* m_pPosition;
    QLabel* m_pTime;
    QSlider* m_pVolume;
    QTimer m_poll;
    QIcon m_playIcon, m_pauseIcon;
    bool m_bMuted = false;
};
