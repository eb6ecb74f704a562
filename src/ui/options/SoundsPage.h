// "Sounds": the greeting, the music on hold and the hold message (what the
// enhanced hold plays, sWaveCompressedHold), each a file to choose and to
// listen to here, and the greeting recorder.
#pragma once

#include "options/OptionsPage.h"

#include <memory>

class CLocalPlayer;
class IGreetingLine;
class ISoundBackend;
class QLineEdit;
class QPushButton;

class CSoundsPage : public COptionsPage {
    Q_OBJECT
public:
    // pLine may be null (no worker): the recorder then records from the
    // sound card only.
    CSoundsPage(ISoundBackend& backend, IGreetingLine* pLine, QWidget* parent = nullptr);
    ~CSoundsPage() override;
    void Load(const OptionsValues& v) override;
    void Save(OptionsValues& v) const override;

    enum Sound { kGreeting, kHoldMusic, kHoldMessage, kSoundCount };
    QLineEdit* FileBox(Sound s) const { return m_rows[s].pFile; }
    QPushButton* BrowseButton(Sound s) const { return m_rows[s].pBrowse; }
    QPushButton* PlayButton(Sound s) const { return m_rows[s].pPlay; }
    QPushButton* StopButton(Sound s) const { return m_rows[s].pStop; }
    QPushButton* RecordButton() const { return m_pRecord; }
    CLocalPlayer& Player() const { return *m_pPlayer; }

    // The file as played: a program-relative name ("./wave/greet.wav") in
    // the program folder.
    static std::string SoundPath(const std::string& name);

signals:
    // Playing failed, with the reason as the user is told it.
    void playFailed(const QString& text);

private:
    void Browse(Sound s);
    void Play(Sound s);
    void RecordGreeting();

    struct Row {
        QLineEdit* pFile = nullptr;
        QPushButton* pBrowse = nullptr;
        QPushButton* pPlay = nullptr;
        QPushButton* pStop = nullptr;
    };
    Row m_rows[kSoundCount];
    QPushButton* m_pRecord;
    ISoundBackend& m_backend;
    IGreetingLine* m_pLine;
    std::unique_ptr<CLocalPlayer> m_pPlayer;
    std::string m_sWait; // the fourth sound (sWaveWait), kept as it is
    unsigned m_nMaxRecordMs = 60000;
};
