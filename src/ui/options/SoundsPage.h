// "Sounds": the greeting, the music on hold and the hold message (what the
// enhanced hold plays, sWaveCompressedHold), each a file to choose and to
// listen to here, the greeting recorder and the greeting schedule (a
// greeting by day and time); then remote access by phone:
// the PINs, the prompts the caller hears and the toll saver.
#pragma once

#include "options/OptionsPage.h"

#include <memory>

class CLocalPlayer;
class IGreetingLine;
class ISoundBackend;
class QCheckBox;
class QGridLayout;
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

    enum Sound {
        kGreeting,
        kHoldMusic,
        kHoldMessage,
        kPinRequest, // the remote-access prompts from here on
        kPinInstruct,
        kRemoteGlobal,
        kNewMessage,
        kNoNewMessages,
        kSoundCount
    };
    QLineEdit* FileBox(Sound s) const { return m_rows[s].pFile; }
    QPushButton* BrowseButton(Sound s) const { return m_rows[s].pBrowse; }
    QPushButton* PlayButton(Sound s) const { return m_rows[s].pPlay; }
    QPushButton* StopButton(Sound s) const { return m_rows[s].pStop; }
    QPushButton* RecordButton() const { return m_pRecord; }
    QLineEdit* PinBox() const { return m_pPin; }
    QLineEdit* MorePinsBox() const { return m_pMorePins; }
    QCheckBox* PinInstructBox() const { return m_pPinInstruct; }
    QCheckBox* TollSaverBox() const { return m_pTollSaver; }
    QCheckBox* ScheduleBox() const { return m_pSchedule; }
    QLineEdit* ScheduleText() const { return m_pScheduleText; }
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
    void AddSoundRow(QGridLayout* grid, Sound s, int at);
    void AddSchedule();
    void AddRemoteAccess();

    struct Row {
        QLineEdit* pFile = nullptr;
        QPushButton* pBrowse = nullptr;
        QPushButton* pPlay = nullptr;
        QPushButton* pStop = nullptr;
    };
    Row m_rows[kSoundCount];
    QPushButton* m_pRecord;
    QLineEdit* m_pPin = nullptr;
    QLineEdit* m_pMorePins = nullptr;
    QCheckBox* m_pPinInstruct = nullptr;
    QCheckBox* m_pTollSaver = nullptr;
    QCheckBox* m_pSchedule = nullptr;
    QLineEdit* m_pScheduleText = nullptr;
    ISoundBackend& m_backend;
    IGreetingLine* m_pLine;
    std::unique_ptr<CLocalPlayer> m_pPlayer;
    std::string m_sWait; // the fourth sound (sWaveWait), kept as it is
    unsigned m_nMaxRecordMs = 60000;
};
