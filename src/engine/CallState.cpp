#include "engine/CallState.h"

#include <algorithm>
#include <iterator>

std::atomic<bool> g_bPaused{false};
std::atomic<bool> g_bShuttingDown{false};
std::atomic<bool> g_bReconfigure{false};
std::atomic<bool> g_bHangUpRequest{false};
std::atomic<bool> g_bTestRing{false};
std::atomic<bool> g_bRinging{false};
std::atomic<bool> g_bTalking{false};
std::atomic<bool> g_bHold{false};
std::atomic<bool> g_bActionPending{false};
std::atomic<bool> g_bSpeakerphone{false};
std::atomic<bool> g_bCidBusy{false};
std::atomic<bool> g_bOffHookRequest{false};
std::atomic<bool> g_bOffHook{false};
std::atomic<bool> g_bRecording{false};
std::atomic<bool> g_bPlaying{false};
std::atomic<bool> g_bNewMessages{false};
std::atomic<bool> g_bCidReceived{false};
std::atomic<bool> g_bDialing{false};
std::atomic<int32_t> g_nAction{0};

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

void RequestAction(int32_t code) {
    g_nAction.store(code);
    g_bActionPending.store(true);
}

void ResetCallState() {
    for (auto* flag : {&g_bPaused, &g_bShuttingDown, &g_bReconfigure, &g_bHangUpRequest,
                       &g_bTestRing, &g_bRinging, &g_bTalking, &g_bHold, &g_bActionPending,
                       &g_bSpeakerphone, &g_bCidBusy, &g_bOffHookRequest, &g_bOffHook,
                       &g_bRecording, &g_bPlaying, &g_bNewMessages, &g_bCidReceived, &g_bDialing})
        flag->store(false);
    g_nAction.store(0);
}
