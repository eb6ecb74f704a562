// Talking at the PC on a line without a speakerphone of its own (a
// telephony line): the call's sound goes through the computer's sound card.
// The speakerphone request (action 13) or a call dialled here starts it; the
// worker follows it between its steps (the levels the user sets, its end);
// the user's stop, the end of the speakerphone wish, the far end hanging up
// and a card that fails end it.
#include "engine/ActionRunner.h"

#include "audio/SoundBackend.h"
#include "audio/TalkPath.h"
#include "engine/CallControl.h"
#include "engine/CallState.h"
#include "engine/Phone.h"

namespace {

// The card the settings name and the levels the user chose; false, with
// *pWhy, when a card named is not there (rather than talking through
// another one).
bool ChooseTalkCard(const CPhoneSettings& settings, const CCallStateData& state,
                    TalkSettings* pTalk, std::string* pWhy) {
    pTalk->nCaptureDevice = FindSoundDevice(settings.sTalkSoundCard, true);
    pTalk->nPlaybackDevice = FindSoundDevice(settings.sTalkSoundCard, false);
    if (!settings.sTalkSoundCard.empty() &&
        (pTalk->nCaptureDevice < 0 || pTalk->nPlaybackDevice < 0)) {
        *pWhy = "the sound card \"" + settings.sTalkSoundCard + "\" is not there";
        return false;
    }
    pTalk->nVolume = state.nTalkVolume;
    pTalk->bMute = state.bTalkMute;
    return true;
}

} // namespace

bool CActionRunner::TalkWanted() {
    ITelephoneDevice& dev = m_phone.Device();
    return m_state.bSpeakerphone && !dev.SerialExtras() && !dev.Talking();
}

void CActionRunner::TalkAtPc() {
    ITelephoneDevice& dev = m_phone.Device();
    if (m_state.bActionPending && m_state.nAction == kActionSpeakerphone)
        m_state.bActionPending = false;
    if (dev.Talking())
        return; // asked again while talking
    Log("Talk at the PC:\n");
    TalkSettings talk;
    std::string why;
    if (!ChooseTalkCard(m_phone, m_state, &talk, &why) || !dev.StartTalking(talk, &why)) {
        // A call ringing is left ringing (one the answering machine had
        // has lost its greeting or message to the request, though).
        m_state.bSpeakerphone = false;
        m_phone.TellSoundProblem("not talking at the PC: " + why);
        return;
    }
    m_phone.SoundWorks();
    // Off-hook already: a call dialled here, or one the machine had.
    const bool bInProgress = m_state.bOffHook;
    if (!bInProgress)
        m_line.GoOffHook(); // answers the offered call
    m_state.bSpeakerphone = true;
    m_state.bTalking = true;
    m_state.bOffHook = true;
    // A call placed here rings at the far end: what waits (its recording)
    // starts once it answers.
    while (!dev.InVoiceMode()) {
        if (!bInProgress || m_state.bHangUpRequest || !m_state.bSpeakerphone ||
            dev.StopRequested() || m_host.StopAsked() || m_state.bShuttingDown ||
            !dev.TalkFailure().empty()) {
            // Not answered, or given up: nothing to record.
            m_phone.CallState().WithdrawAction(kActionRecord);
            EndTalk(dev.TalkFailure());
            return;
        }
        m_host.PumpMessages();
        m_host.SleepQuantum();
    }
    m_phone.SetStatusText("talking at the PC");
}

void CActionRunner::FollowTalk() {
    ITelephoneDevice& dev = m_phone.Device();
    if (!dev.Talking())
        return;
    dev.SetTalkLevels(m_state.nTalkVolume, m_state.bTalkMute);
    const std::string failure = dev.TalkFailure();
    // Ended by the user (the stop, the end of the speakerphone wish), by the
    // far end hanging up, or by the card.
    if (!failure.empty() || !m_state.bSpeakerphone || !dev.InVoiceMode())
        EndTalk(failure);
}

void CActionRunner::EndTalk(const std::string& sWhy) {
    m_phone.Device().StopTalking();
    m_state.bSpeakerphone = false;
    if (!sWhy.empty())
        m_phone.TellSoundProblem("talking at the PC stopped: " + sWhy);
    m_line.StopCall();
}

void CActionRunner::LineHungUp() {
    m_bSpeakerphoneRunning = false;
    m_phone.Device().StopTalking();
}
