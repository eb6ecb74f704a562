// CCallRecorder: recording the call on the line into the recordings folder.
// It chooses the file, lists the call in the index at once (with room kept
// for its last line on a full disk), records until an event ends it, tells
// a recording a write error cut, compresses it when asked, and keeps the
// current and the last recording for the front end.
//
// Record() and the other steps run on the worker's thread; the setters and
// the readers may be called from any thread.
#pragma once

#include "calllog/IndexFile.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

class CCallEventPublisher;
class CCallLog;
class CPhone;
class ICallControl;
class IUiBridge;
struct CCallStateData;

class CCallRecorder {
public:
    CCallRecorder(CPhone& phone, CCallStateData& state, IUiBridge& ui, CCallLog& callLog,
                  CCallEventPublisher& events, ICallControl& line);
    CCallRecorder(const CCallRecorder&) = delete;
    CCallRecorder& operator=(const CCallRecorder&) = delete;

    // ---- where recordings go (any thread) --------------------------------
    // The folder recordings go under (the data path, Options/sPath).
    void SetDataPath(const std::string& sPath);
    std::string DataPath() const;
    // The folder recordings go to, overriding the main window's choice ("" none).
    void SetTargetFolder(const std::string& folder);
    // The name external control asked for (customised naming only).
    void SetRequestedFileName(const std::string& name);

    // ---- what was recorded (any thread) ----------------------------------
    std::string CurrentFile() const; // the recording now made, or last made
    // The last finished recording (kept after the hang-up forgets the current file).
    std::string LastRecording() const;
    // The event that ended the last recording (-1 none).
    int LastKey() const { return m_nLastKey.load(); }
    bool LastEndedBySilence() const { return m_bLastSilence.load(); }

    // ---- the steps (worker thread) ---------------------------------------
    // Whether what is recorded now is a caller's message to the machine.
    void SetMessage(bool bMessage) { m_bMessage = bMessage; }
    // Records the call until endsRecording says an event ends it (or the
    // line or a stop does); bByMachine: the answering machine took the call.
    void Record(bool bByMachine, const std::function<bool(int)>& endsRecording);
    // A call answered but left without a message: its index line with an
    // empty recording, so it plays as 0 s like any other.
    void StoreWithoutSound();
    // Whether the disk holds a message; a change is told once.
    bool RoomForAMessage();
    // The current file is forgotten (a new call, the device closed).
    void ForgetCurrentFile();
    // The call is over: its file gets the hang-up's time and is forgotten.
    void TouchAndForgetCurrentFile();

private:
    std::string RecordingFolderNow();
    std::string StartCallFile();
    void SetCurrentFile(const std::string& file);
    void WriteIndex(bool bFinished);
    void TellRecordingCut(const std::string& file, int nErrno);
    void TellRecording(const std::string& file, bool bFinished, bool bMessage, int nSeconds);
    void Log(const std::string& text);

    CPhone& m_phone;
    CCallStateData& m_state;
    IUiBridge& m_ui;
    CCallLog& m_callLog;
    CCallEventPublisher& m_events;
    ICallControl& m_line;

    mutable std::mutex m_mutex;
    std::string m_sDataPath;      // under m_mutex
    std::string m_sTargetFolder;  // under m_mutex
    std::string m_sRequestedName; // under m_mutex
    std::string m_sFile;          // under m_mutex
    std::string m_sLastRecording; // under m_mutex
    std::atomic<int> m_nLastKey{-1};
    std::atomic<bool> m_bLastSilence{false};

    // Worker-only state.
    bool m_bMessage = false;    // the recording is a message
    bool m_bNoRoomTold = false; // "messages are not taken" was said
    // Room to write the running call's index line once more on a full disk.
    CIndexReserve m_indexReserve;
};
