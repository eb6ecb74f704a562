#include "app/GreetingRecorder.h"

#include "audio/WaveDecoder.h"
#include "engine/CallState.h"
#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

CGreetingRecorder::CGreetingRecorder(ISoundBackend& backend, IGreetingLine* pLine,
                                     const Setup& setup)
    : m_backend(backend), m_pLine(pLine), m_setup(setup), m_sFile(setup.sFile), m_player(backend) {
    if (m_pLine)
        m_pLine->HoldQuiet(true);
}

CGreetingRecorder::~CGreetingRecorder() {
    Stop();
    m_rec.Stop();
    m_player.Close();
    // A modem request still running writes the take after we are gone;
    // the worker's own end leaves it, and the next recording replaces it.
    if (m_eRunning != Running::ModemRecord)
        Discard();
    if (m_pLine)
        m_pLine->HoldQuiet(false);
}

std::string CGreetingRecorder::GreetingPath() const {
    if (m_sFile.empty() || m_sFile[0] == '/')
        return m_sFile;
    const std::string name = m_sFile.rfind("./", 0) == 0 ? m_sFile.substr(2) : m_sFile;
    return WithTrailingSlash(GetProgramFolder()) + name;
}

std::string CGreetingRecorder::TakePath() const {
    std::string path = GreetingPath();
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        path.erase(dot);
    return path + ".take.wav";
}

bool CGreetingRecorder::CanStart(bool bModem) {
    m_sError.clear();
    if (m_eRunning != Running::None) {
        m_sError = "Wait until the greeting has been recorded or played.";
        return false;
    }
    if (m_sFile.empty()) {
        m_sError = "Give the greeting a file name first.";
        return false;
    }
    if (bModem && (!m_pLine || !m_pLine->IsReady())) {
        m_sError = "The modem is not ready: start monitoring the line and wait until no call "
                   "is going on.";
        return false;
    }
    return true;
}

bool CGreetingRecorder::StartModem(Running what, int nVoiceSource, int32_t nAction,
                                   const std::string& sFile) {
    if (nVoiceSource < 0 || nVoiceSource >= kVoiceSourceCount) {
        m_sError = StrPrintf("There is no voice source %d.", nVoiceSource);
        return false;
    }
    m_player.Close();
    m_nSavedLineSelection = m_pLine->LineSelection();
    m_pLine->SetLineSelection(nVoiceSource);
    m_pLine->SetPlayFile(sFile);
    m_pLine->RequestAction(nAction);
    m_eRunning = what;
    return true;
}

bool CGreetingRecorder::RecordFromModem(int nVoiceSource) {
    if (!CanStart(true))
        return false;
    Discard();
    m_sTake = TakePath();
    return StartModem(Running::ModemRecord, nVoiceSource, kActionRecordGreeting, m_sTake);
}

bool CGreetingRecorder::PlayThroughModem(int nVoiceSource) {
    if (!CanStart(true))
        return false;
    return StartModem(Running::ModemPlay, nVoiceSource, kActionPlayGreeting,
                      m_bHaveTake ? m_sTake : GreetingPath());
}

bool CGreetingRecorder::RecordFromSoundCard(int nDeviceId) {
    if (!CanStart(false))
        return false;
    Discard();
    m_player.Close();
    m_sTake = TakePath();
    CRecThread::Setup setup;
    setup.nDeviceId = nDeviceId;
    setup.nSampleRate = m_setup.nSampleRate;
    setup.sFile = m_sTake;
    // A greeting is heard as spoken: no level control, no silence cut-off.
    setup.options.bSoftAGC = false;
    setup.options.nMaxDurationMs = m_setup.nMaxRecordMs;
    m_rec.Start(setup);
    m_eRunning = Running::CardRecord;
    return true;
}

bool CGreetingRecorder::Listen() {
    if (!CanStart(false))
        return false;
    const std::string file = m_bHaveTake ? m_sTake : GreetingPath();
    if (!m_player.Open(file, &m_sError))
        return false;
    m_player.Play();
    m_eRunning = Running::Listening;
    return true;
}

void CGreetingRecorder::Stop() {
    switch (m_eRunning) {
    case Running::ModemRecord:
    case Running::ModemPlay:
        m_pLine->Stop();
        break;
    case Running::CardRecord:
        m_rec.Stop();
        break;
    case Running::Listening:
        m_player.Stop();
        break;
    case Running::None:
        break;
    }
}

bool CGreetingRecorder::Poll() {
    if (m_eRunning == Running::None)
        return false;
    if (m_eRunning == Running::Listening    ? m_player.IsPlaying()
        : m_eRunning == Running::CardRecord ? !m_rec.IsFinished()
                                            : m_pLine->IsActionPending())
        return true;
    m_sError.clear(); // what this request brings is the news now
    switch (m_eRunning) {
    case Running::None:
        break;
    case Running::ModemRecord:
    case Running::ModemPlay:
        m_pLine->SetLineSelection(m_nSavedLineSelection);
        m_pLine->SetPlayFile("");
        m_pLine->HoldQuiet(true);
        if (m_eRunning == Running::ModemRecord)
            CheckTake("through the modem");
        break;
    case Running::CardRecord:
        m_rec.Stop(); // joins the finished thread
        if (!m_rec.Succeeded()) {
            m_sError = "Recording from the sound card failed: " + m_rec.Error();
            ::unlink(m_sTake.c_str());
        } else {
            CheckTake("from the sound card");
        }
        break;
    case Running::Listening:
        m_sError = m_player.LastError();
        m_player.Close();
        break;
    }
    m_eRunning = Running::None;
    return false;
}

void CGreetingRecorder::CheckTake(const std::string& sHow) {
    DecodedWave wave;
    std::string why;
    if (!DecodeWaveFile(m_sTake, wave, &why) || wave.samples.empty()) {
        m_sError = "Nothing was recorded " + sHow + (why.empty() ? "." : ": " + why);
        ::unlink(m_sTake.c_str());
        return;
    }
    m_bHaveTake = true;
    m_nTakeMs = static_cast<uint32_t>(static_cast<uint64_t>(wave.samples.size()) * 1000 /
                                      wave.nSamplesPerSec);
}

bool CGreetingRecorder::Keep() {
    m_sError.clear();
    if (!m_bHaveTake)
        return true;
    const std::string target = GreetingPath();
    if (std::rename(m_sTake.c_str(), target.c_str()) != 0) {
        m_sError = StrPrintf("Cannot replace %s: %s", target.c_str(), std::strerror(errno));
        return false;
    }
    m_bHaveTake = false;
    m_nTakeMs = 0;
    return true;
}

void CGreetingRecorder::Discard() {
    if (m_bHaveTake)
        ::unlink(m_sTake.c_str());
    m_bHaveTake = false;
    m_nTakeMs = 0;
}
