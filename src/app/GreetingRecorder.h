// The greeting recorder's logic, without widgets: records a new greeting
// through the modem (the worker's action 9) or from a sound card, plays it
// back through the modem (action 6) or on the sound card, and keeps or
// discards it. A recording goes into a take beside the greeting file; only
// Keep puts it in the greeting's place, so a discarded or failed take leaves
// the old greeting as it was.
#pragma once

#include "audio/LocalPlayer.h"
#include "audio/RecThread.h"
#include "audio/SoundBackend.h"

#include <cstdint>
#include <string>

// What the recorder asks of the worker for the modem's paths.
class IGreetingLine {
public:
    virtual ~IGreetingLine() = default;
    // The modem can take a request now (monitoring, port open, no call).
    virtual bool IsReady() const = 0;
    // The modem's voice source (nLineSelection, 0 to 5).
    virtual int LineSelection() const = 0;
    virtual void SetLineSelection(int nSource) = 0;
    // The file the worker's actions 6 and 9 use.
    virtual void SetPlayFile(const std::string& sFile) = 0;
    virtual void RequestAction(int32_t nAction) = 0;
    virtual bool IsActionPending() const = 0;
    // Breaks the running record or play.
    virtual void Stop() = 0;
    // Holds the worker quiet (action 0) while the recorder is open, so the
    // line does nothing else between its requests; a request takes the
    // hold's place until it ends. IsActionPending() is false for the hold.
    virtual void HoldQuiet(bool bOn) = 0;
};

class CGreetingRecorder {
public:
    // The modem's voice sources, in the order of nLineSelection.
    static constexpr const char* kVoiceSources[] = {"Telephone line",   "Handset", "Speaker only",
                                                    "Modem microphone", "Monitor", "Speakerphone"};
    static constexpr int kVoiceSourceCount = 6;

    struct Setup {
        std::string sFile;             // the greeting (sWaveGreet): absolute or program-relative
        uint32_t nMaxRecordMs = 60000; // dwInactiveTimer
        uint32_t nSampleRate = 8000;   // sound-card recordings
    };

    // The takes are played back on backend's default device; recording from
    // a sound card goes through the process's backend (the recorder thread
    // of the call recorder). line may be null: no worker, the modem's paths
    // refuse.
    // The worker is held quiet from here until the recorder goes.
    CGreetingRecorder(ISoundBackend& backend, IGreetingLine* pLine, const Setup& setup);
    ~CGreetingRecorder(); // an unkept take is discarded; the worker let go
    CGreetingRecorder(const CGreetingRecorder&) = delete;
    CGreetingRecorder& operator=(const CGreetingRecorder&) = delete;

    // The file name box.
    const std::string& FileName() const { return m_sFile; }
    void SetFileName(const std::string& sFile) { m_sFile = sFile; }
    // The file name as a path (program-relative names resolved).
    std::string GreetingPath() const;

    // Each starts one request and returns at once; false (with LastError())
    // when it cannot start: another one runs, no modem, no file name ...
    bool RecordFromModem(int nVoiceSource);
    bool PlayThroughModem(int nVoiceSource);
    bool RecordFromSoundCard(int nDeviceId);
    bool Listen(); // the take, or the greeting when there is none
    // Breaks the running request.
    void Stop();

    // Called every 100 ms by the dialog: true while a request runs. When
    // one has ended, puts the voice source back and looks at the take.
    bool Poll();
    bool IsBusy() const { return m_eRunning != Running::None; }

    // A new recording waits to be kept, and its length.
    bool HasTake() const { return m_bHaveTake; }
    uint32_t TakeMs() const { return m_nTakeMs; }
    // The take becomes the greeting (replacing the file whole). True when
    // there is none. False, the take kept, when the file cannot be replaced.
    bool Keep();
    void Discard();

    // Why the last request or Keep failed ("" when it did not).
    const std::string& LastError() const { return m_sError; }

private:
    enum class Running { None, ModemRecord, ModemPlay, CardRecord, Listening };
    bool CanStart(bool bModem);
    bool StartModem(Running what, int nVoiceSource, int32_t nAction, const std::string& sFile);
    void CheckTake(const std::string& sHow);
    std::string TakePath() const;

    ISoundBackend& m_backend;
    IGreetingLine* m_pLine;
    Setup m_setup;
    std::string m_sFile;
    std::string m_sTake; // where the running or last recording goes
    bool m_bHaveTake = false;
    uint32_t m_nTakeMs = 0;
    Running m_eRunning = Running::None;
    int m_nSavedLineSelection = 0;
    std::string m_sError;
    CRecThread m_rec;
    CLocalPlayer m_player;
};
