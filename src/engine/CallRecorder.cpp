#include "engine/CallRecorder.h"

#include "audio/Cacm.h"
#include "audio/WaveFile.h"
#include "calllog/CallLog.h"
#include "config/DataFolder.h"
#include "engine/CallControl.h"
#include "engine/CallEvents.h"
#include "engine/CallForwarding.h"
#include "engine/CallState.h"
#include "engine/Phone.h"
#include "engine/RecordingName.h"
#include "engine/RecordingSteps.h"
#include "engine/UiBridge.h"
#include "platform/FileUtil.h"

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr int kStrNoWaveIn = 169;

// The recording's length in whole seconds, from the file itself.
int WaveSeconds(const std::string& path) {
    CWaveFile wav;
    if (!wav.Open(path))
        return 0;
    uint32_t rate = wav.Format().nSamplesPerSec;
    return rate ? static_cast<int>(wav.SampleCount() / rate) : 0;
}

// Sets a file's last-write time to now.
void TouchFile(const std::string& path) {
    utimensat(AT_FDCWD, path.c_str(), nullptr, 0);
}

// The rate a message is recorded at, for its size on disk.
uint32_t MessageRate(CPhone& phone) {
    return static_cast<uint32_t>(std::clamp(phone.Profile().nCompressionSampleRate, 4000, 48000));
}

} // namespace

CCallRecorder::CCallRecorder(CPhone& phone, CCallStateData& state, IUiBridge& ui, CCallLog& callLog,
                             CCallEventPublisher& events, ICallControl& line)
    : m_phone(phone), m_state(state), m_ui(ui), m_callLog(callLog), m_events(events), m_line(line) {
}

// ---- where recordings go ---------------------------------------------------

void CCallRecorder::SetDataPath(const std::string& sPath) {
    std::lock_guard lock(m_mutex);
    m_sDataPath = sPath;
}
std::string CCallRecorder::DataPath() const {
    std::lock_guard lock(m_mutex);
    return m_sDataPath;
}
void CCallRecorder::SetTargetFolder(const std::string& folder) {
    std::lock_guard lock(m_mutex);
    m_sTargetFolder = folder;
}
void CCallRecorder::SetRequestedFileName(const std::string& name) {
    std::lock_guard lock(m_mutex);
    m_sRequestedName = name;
}

std::string CCallRecorder::RecordingFolderNow() {
    std::lock_guard lock(m_mutex);
    return RecordingFolder(GetDataFolder(), m_sDataPath, m_state.selectedCallFolder.Get(),
                           m_sTargetFolder);
}

// ---- what was recorded -----------------------------------------------------

std::string CCallRecorder::CurrentFile() const {
    std::lock_guard lock(m_mutex);
    return m_sFile;
}
std::string CCallRecorder::LastRecording() const {
    std::lock_guard lock(m_mutex);
    return m_sLastRecording;
}
void CCallRecorder::SetCurrentFile(const std::string& file) {
    std::lock_guard lock(m_mutex);
    m_sFile = file;
}
void CCallRecorder::ForgetCurrentFile() {
    SetCurrentFile("");
}
void CCallRecorder::TouchAndForgetCurrentFile() {
    std::string file = CurrentFile();
    if (!file.empty())
        TouchFile(file);
    SetCurrentFile("");
}

// ---- the steps -------------------------------------------------------------

void CCallRecorder::Log(const std::string& text) {
    m_phone.Trace(text);
}

void CCallRecorder::TellRecording(const std::string& file, bool bFinished, bool bMessage,
                                  int nSeconds) {
    if (!bFinished) {
        m_events.Publish(RecordingStarted{file, bMessage});
        return;
    }
    const CNumber c = m_state.curCall.Get();
    m_events.Publish(RecordingStored{file, nSeconds, bMessage,
                                     c.m_sRecording == file ? c.m_sRecordingProblem : ""});
}

void CCallRecorder::WriteIndex(bool bFinished) {
    std::string file = CurrentFile();
    if (!file.empty()) {
        CNumber c = m_state.curCall.Get();
        FinishedCall fc;
        fc.sRecordingPath = file;
        fc.sNumber = c.m_sNumber;
        fc.sName = c.m_sName;
        fc.sMemo = c.m_sMemo;
        fc.nLength = bFinished ? WaveSeconds(file) : 0;
        fc.bMessage = m_bMessage;
        const std::string index = CCallLog::IndexBeside(file);
        std::string error;
        // The room kept while the sound filled the disk is for this line.
        if (bFinished)
            m_indexReserve.Release();
        if (!m_callLog.StoreFinishedCall(fc, &error)) {
            Log("Index: " + error + "\n");
            m_phone.SetStatusText("the call is not in the call list: " + error);
        } else if (!bFinished) {
            m_indexReserve.Take(index);
        }
        // The front ends follow the recording's event.
        TellRecording(file, bFinished, fc.bMessage, fc.nLength);
    } else {
        m_ui.UpdateCurrentCall(bFinished);
    }
}

void CCallRecorder::TellRecordingCut(const std::string& file, int nErrno) {
    const std::string text = RecordingCutText(nErrno, WaveSeconds(file));
    Log("Recording: " + text + "\n");
    m_phone.SetStatusText(text);
    // The notice of the call says it too.
    auto mark = [&](CNumber& c) {
        if (c.m_sRecording == file)
            c.m_sRecordingProblem = text;
    };
    m_state.curCall.Update(mark);
    m_state.recentCalls.Update([&](std::vector<CNumber>& calls) {
        for (CNumber& c : calls)
            mark(c);
    });
}

bool CCallRecorder::RoomForAMessage() {
    const std::string folder = RecordingFolderNow();
    const int nMin = m_phone.nMinFreeSeconds;
    const MessageRoom room = RoomForMessages(folder, nMin, MessageRate(m_phone) * 2);
    // Said once when it changes, not at every call.
    if (room.bEnough == m_bNoRoomTold) {
        m_bNoRoomTold = !room.bEnough;
        const std::string text = MessageRoomText(room, folder, nMin);
        Log("Autoanswer: " + text + "\n");
        m_phone.SetStatusText(text);
    }
    return room.bEnough;
}

std::string CCallRecorder::StartCallFile() {
    RecordingNameSettings ns;
    ns.fKestrixCustomization = m_phone.fKestrixCustomization;
    ns.sKestrixThisComputerID = m_phone.sKestrixThisComputerID;
    {
        std::lock_guard lock(m_mutex);
        ns.sRequestedName = m_sRequestedName;
    }
    std::string folder = RecordingFolderNow();
    // A free name (two calls in the same second get two files), and its line
    // into the index at once, so a recording cut short by a crash is still
    // listed. The calls since the last missed-call notice are kept for that
    // notice only: with notices off nothing would ever send or clear them.
    MakeDirectories(folder);
    std::string file = ReserveFreeFileName(RecordingFileName(folder, ns, std::time(nullptr)));
    const CNumber call = m_state.curCall.Update([&](CNumber& c) {
        c.m_sRecording = file;
        return c;
    });
    if (m_phone.bEMailCID)
        m_state.AppendRecentCall(call);
    SetCurrentFile(file);
    m_ui.ClearLastPlayed();
    WriteIndex(false);
    return file;
}

void CCallRecorder::StoreWithoutSound() {
    const std::string file = StartCallFile();
    CWaveFile wav;
    if (!wav.Create(file, PcmFormat(MessageRate(m_phone))) || !wav.CloseWrite()) {
        const std::string text = "the call has no sound file: " + wav.LastError();
        Log("Call without message: " + text + "\n");
        m_phone.SetStatusText(text);
    }
    SetCurrentFile(file);
    WriteIndex(true);
}

void CCallRecorder::Record(bool bByMachine, const std::function<bool(int)>& endsRecording) {
    ITelephoneDevice& dev = m_phone.Device();
    m_phone.m_bEnhancedHold = false;
    const std::string file = StartCallFile();
    int nWriteErrno = 0;
    bool bStereo = false;

    if (ISerialModemExtras* modem = dev.SerialExtras()) {
        if (!dev.IsOpen())
            dev.Open();
        if (dev.IsOpen() && !dev.IsReady())
            static_cast<void>(dev.Open());
        if (!m_state.bOffHook || !dev.InVoiceMode())
            dev.GoOffHook();
        else if (m_phone.fKestrixCustomization)
            modem->Driver().AnswerVoice(); // the customised set-up repeats it for every recording
        m_state.bOffHook = true;
        m_ui.SetCallBusy(true);
        m_events.Publish(CallAnswered{bByMachine ? AnsweredBy::Machine : AnsweredBy::User});
        dev.SetStopRequest(false);
        ModemRecordResult r = m_phone.RecordFromModem(file, kNoLimitAboveMs + 1, endsRecording);
        m_nLastKey = r.nKey;
        m_bLastSilence = r.bSilence;
        nWriteErrno = r.nWriteErrno;
    } else if (dev.IsOpen()) {
        // A telephony line: its call's sound device is recorded.
        m_line.GoOffHook();
        dev.SetStopRequest(false);
        m_state.bRecording = true;
        RecordResult r = dev.Record(file, kNoLimitAboveMs + 1, endsRecording);
        bStereo = r.bStereo;
        m_nLastKey = r.nKey;
        m_bLastSilence = r.bSilence;
        nWriteErrno = r.nWriteErrno;
        if (!r.bOpened) {
            // No call, or no sound device for it: nothing was recorded.
            m_ui.ShowMessage(kStrNoWaveIn, MessageIcon::Exclamation);
            m_ui.SetCallBusy(false);
        }
    } else {
        // No driver for this device kind in this build.
        m_phone.SetStatusText(DeviceKindName(dev.Kind()) + ": not available");
    }
    m_state.bRecording = false;
    if (nWriteErrno)
        TellRecordingCut(file, nWriteErrno);

    // GSM 6.10 holds one channel: a talk recorded in two stays 16-bit PCM.
    if (m_phone.bCompressWav && m_phone.fUseComvurgent && !bStereo)
        CompressRecording(
            file, [](const std::string& a, const std::string& b) { return ConvertToGsm(a, b); });
    SetCurrentFile(file);
    // A caller still on the line after the message may be forwarded.
    if (m_bMessage && dev.InVoiceMode() && m_nLastKey != 'b' && m_nLastKey != 'd' &&
        !dev.StopRequested())
        ForwardCallAt(ForwardMethod::AfterMessage, m_phone, m_state, m_events);
    if (!m_state.bTalking && !m_state.bHold && !m_state.bSpeakerphone)
        m_line.StopCall();
    m_state.bActionPending = false;
    dev.SetStopRequest(false);
    {
        // Known before the index shows the call, so whoever sees the record
        // also finds its file here.
        std::lock_guard lock(m_mutex);
        m_sLastRecording = file;
    }
    WriteIndex(true);
}
