#include "engine/CallState.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr ActionInfo kActions[] = {
    {kActionQuiet, "quiet", false, false},
    {kActionRecord, "record", false, false},
    {kActionPlayFile, "play file", false, false},
    {kActionHoldMusic, "music on hold", false, false},
    {kActionPlayGreeting, "play greeting", false, false},
    {kActionAnswer, "answering machine", true, true},
    {kActionRecordGreeting, "record greeting", false, false},
    {kActionRecordGreetingCard, "record greeting from sound card", false, false},
    {kActionSpeakerphone, "speakerphone", false, false},
    {kActionOffHook, "off-hook", true, false},
    {kActionDiagnostics, "diagnostics", true, false},
    {kActionStopHangUp, "stop and hang up", true, false},
    {kActionRecordHandset, "record (handset)", false, false},
    {kActionStop, "stop", false, false},
    {kActionAltGreeting, "alternative greeting", false, false},
    {kActionDisconnect, "disconnect", true, false},
    {kActionTalk, "talk", true, false},
    {kActionKeyRecordGreeting, "record greeting (key)", false, false},
    {kActionEnhancedHold, "enhanced hold", false, false},
};

} // namespace

const ActionInfo* FindAction(int32_t code) {
    auto it = std::find_if(std::begin(kActions), std::end(kActions),
                           [code](const ActionInfo& a) { return a.code == code; });
    return it == std::end(kActions) ? nullptr : &*it;
}

CallFlags CCallState::Flags() const {
    const CCallStateData& d = m_data;
    CallFlags f;
    f.bPaused = d.bPaused;
    f.bShuttingDown = d.bShuttingDown;
    f.bReconfigure = d.bReconfigure;
    f.bHangUpRequest = d.bHangUpRequest;
    f.bTestRing = d.bTestRing;
    f.bRinging = d.bRinging;
    f.bTalking = d.bTalking;
    f.bHold = d.bHold;
    f.bActionPending = d.bActionPending;
    f.bSpeakerphone = d.bSpeakerphone;
    f.bCidBusy = d.bCidBusy;
    f.bOffHookRequest = d.bOffHookRequest;
    f.bOffHook = d.bOffHook;
    f.bRecording = d.bRecording;
    f.bPlaying = d.bPlaying;
    f.bNewMessages = d.bNewMessages;
    f.bCidReceived = d.bCidReceived;
    f.bDialing = d.bDialing;
    f.nAction = d.nAction;
    return f;
}

void CCallState::RequestAction(int32_t code) {
    m_data.nAction.store(code);
    m_data.bActionPending.store(true);
}

bool CCallState::WithdrawAction(int32_t code) {
    if (!m_data.bActionPending || m_data.nAction != code)
        return false;
    m_data.bActionPending = false;
    return true;
}

void CCallState::RequestLetGo() {
    m_data.bTalking = false;
    m_data.bOffHookRequest = false;
    m_data.bHangUpRequest = false;
}

void CCallState::RequestTalk() {
    m_data.bSpeakerphone = true;
    RequestAction(kActionSpeakerphone);
}

void CCallState::SetTalkLevels(int nVolume, bool bMute) {
    m_data.nTalkVolume = std::clamp(nVolume, 0, 100);
    m_data.bTalkMute = bMute;
}

void CCallState::RequestStopSound() {
    m_data.bRecording = false;
    m_data.bPlaying = false;
    m_data.bHold = false;
}

void CCallState::RequestCallerEdit(const std::string& sName, const std::string& sTypedNumber,
                                   const std::string& sMemo) {
    m_data.curCall.Update([&](CNumber& call) {
        call.m_sName = sName;
        // The field shows the display form: set back unchanged, the number
        // keeps the digits it came with.
        if (sTypedNumber != call.Shown()) {
            call.m_sNumber = sTypedNumber;
            call.m_sDisplayNumber = sTypedNumber;
        }
        call.m_sMemo = sMemo;
    });
}

void CCallStateData::AppendRecentCall(const CNumber& call) {
    recentCalls.Update([&](std::vector<CNumber>& calls) {
        if (calls.size() >= kMaxRecentCalls)
            calls.erase(calls.begin(), calls.begin() + (calls.size() - kMaxRecentCalls + 1));
        calls.push_back(call);
    });
}

void CCallStateData::CloseLastRecentCall() {
    recentCalls.Update([](std::vector<CNumber>& calls) {
        if (!calls.empty())
            calls.back().m_nClosed = 1;
    });
}
