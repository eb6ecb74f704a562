#include "engine/AnsweringMachine.h"

#include "engine/CallControl.h"
#include "engine/CallEvents.h"
#include "engine/CallForwarding.h"
#include "engine/CallRecorder.h"
#include "engine/CallState.h"
#include "engine/Challenge.h"
#include "engine/KeyTables.h"
#include "engine/Phone.h"
#include "engine/ProgramFile.h"
#include "engine/RemoteMenu.h"
#include "engine/ScheduledGreeting.h"
#include "platform/FileUtil.h"
#include "platform/TickCount.h"

namespace {
// The pause between the greeting and the message on a line's sound device.
constexpr uint32_t kAfterGreetingMs = 50;
} // namespace

CAnsweringMachine::CAnsweringMachine(CPhone& phone, CCallStateData& state, CCallRecorder& recorder,
                                     ICallControl& line, IMachineHost& host,
                                     CCallEventPublisher& events)
    : m_phone(phone), m_state(state), m_recorder(recorder), m_line(line), m_host(host),
      m_events(events) {}

std::string CAnsweringMachine::CallerGreeting(const std::string& fallback) const {
    std::string own = m_state.curCall.Get().m_sGreeting;
    return ProgramFile(own.empty() ? fallback : own);
}

bool CAnsweringMachine::GreetingReadable(const std::string& file) {
    const std::string why = ReadProblem(file);
    if (why.empty())
        return true;
    // The call goes on without it, but the user learns why the caller heard
    // no greeting.
    const std::string text = "the greeting is not played: cannot open " + file + ": " + why;
    m_phone.Trace("Greeting: " + text + "\n");
    m_phone.SetStatusText(text);
    return false;
}

std::string CAnsweringMachine::GreetingForNow() {
    ScheduledGreetingChoice choice;
    if (m_phone.bScheduleGreeting)
        choice = ChooseScheduledGreetingNow(m_phone.sScheduleGreeting);
    // A schedule that cannot serve is told once while it stays so.
    if (choice.sProblem != m_sScheduleProblem) {
        m_sScheduleProblem = choice.sProblem;
        if (!choice.sProblem.empty()) {
            const std::string text = choice.sProblem + "; the normal greeting plays";
            m_phone.Trace("Greeting: " + text + "\n");
            m_phone.SetStatusText(text);
        }
    }
    return choice.sFile.empty() ? ProgramFile(m_phone.sWaveGreet) : choice.sFile;
}

void CAnsweringMachine::Answer() {
    m_bAnswering = true;
    AnswerCall();
    m_bAnswering = false;
}

void CAnsweringMachine::AnswerCall() {
    ITelephoneDevice& dev = m_phone.Device();
    m_recorder.ForgetCurrentFile();
    dev.SetStopRequest(false);
    m_state.bRinging = false;
    m_phone.Trace("Autoanswer:\n");
    // A message the disk cannot hold is not taken: the line is left ringing.
    if (!m_recorder.RoomForAMessage())
        return;
    if (!m_state.bOffHook &&
        ForwardCallAt(ForwardMethod::WhenAnswering, m_phone, m_state, m_events)) {
        m_line.StopCall(); // the call is gone: the line forgets it now
        return;
    }
    if (!m_state.bOffHook)
        m_line.GoOffHook();
    m_state.bOffHook = true;
    if (m_state.curCall.Get().m_bChallenge && !PassChallenge())
        return;
    // The caller's own greeting comes before the schedule's.
    const std::string own = m_state.curCall.Get().m_sGreeting;
    const std::string greeting = own.empty() ? GreetingForNow() : ProgramFile(own);
    int ev = -1;
    if (GreetingReadable(greeting)) {
        ev = dev.PlayFile(greeting, true);
        // A line's sound device may still be sending the greeting's end: the
        // message is not to take it in.
        if (!dev.SerialExtras())
            SleepMs(kAfterGreetingMs);
    }
    m_host.PlayEnded(ev);
    if (ev >= 0)
        dev.SetStopRequest(false); // raised by the play for the event that ended it
    if (ev == 'b' || ev == 'd') {
        // The caller hung up during the greeting: no message, but the call
        // and its caller ID are logged all the same.
        m_recorder.StoreWithoutSound();
        return;
    }
    if (ev == 'c' && m_phone.bFax) {
        m_host.RunLineEvent(ev); // a fax machine calls: handed over, nothing to record
        return;
    }
    // The owner calling in: remote access instead of a message.
    if (m_pRemote && IsToneKey(ev) &&
        LookupKeyAction(ev, m_phone.DriverSettings().m_dtmf).nAction == kActionRemoteAccess &&
        m_pRemote->Offered()) {
        m_pRemote->Run();
        return;
    }
    // A key that took the call elsewhere: hold music, a stop, a recording or
    // an answer of its own.
    if (IsToneKey(ev) && !RunGreetingKey(ev))
        return;
    // The user stopped the call, or monitoring, while the caller heard the
    // greeting: that stop ends the answer; the message recording must not
    // swallow it.
    // The user took the call to talk at the PC: no message either.
    if (dev.StopRequested() || m_state.bPaused || (m_state.bSpeakerphone && !dev.Talking()))
        return;
    // While talking at the PC (the legal notice before a recording) it is
    // the conversation that is recorded, not a message.
    m_recorder.SetMessage(!dev.Talking());
    m_host.RecordMessage();
    m_recorder.SetMessage(false);
}

bool CAnsweringMachine::PassChallenge() {
    ITelephoneDevice& dev = m_phone.Device();
    const int digit = ChallengeDigit();
    std::string why;
    const std::string file = ChallengeFile(digit, &why);
    // The prompt's silence is the caller's time for the key.
    const int ev = file.empty() ? -1 : dev.PlayFile(file, true);
    if (ev >= 0)
        dev.SetStopRequest(false); // raised by the play for the key that ended it
    if (ev == '0' + digit) {
        m_phone.Trace("Challenge: the caller pressed the key asked for\n");
        return true;
    }
    const std::string what = !why.empty()             ? why
                             : IsToneKey(ev)          ? "a wrong key"
                             : ev == 'b' || ev == 'd' ? "the caller hung up"
                                                      : "no key";
    m_phone.SetStatusText("challenged caller hung up on: " + what);
    m_events.Publish(CallScreened{ScreenAction::Challenge, "", 0, true});
    return false;
}

// A key the caller pressed during the greeting runs its action (remote
// control). True when the message is still to be recorded: the action left
// the call with the machine (a key without an action, the alternative
// greeting); false when it stopped, held, hung up or recorded the call.
bool CAnsweringMachine::RunGreetingKey(int ch) {
    const KeyAction k = LookupKeyAction(ch, m_phone.DriverSettings().m_dtmf);
    const bool bStop = k.bRuns && k.nAction == kActionStop; // the caller ends the answer
    const std::string before = m_recorder.LastRecording();
    // The answer request is being served: left pending, the key's action
    // (the speakerphone loop) would take it for a new request.
    m_state.bActionPending = false;
    // A recording the key starts is what the caller has to say: a message.
    m_recorder.SetMessage(true);
    m_host.RunLineEvent(ch);
    m_recorder.SetMessage(false);
    if (bStop || m_recorder.LastRecording() != before)
        return false;
    return m_state.bOffHook && !m_state.bHangUpRequest && !m_state.bTalking && !m_state.bHold &&
           !m_state.bSpeakerphone && !m_phone.Device().StopRequested() && !m_state.bPaused &&
           !m_phone.m_dwFaxDeadline;
}

void CAnsweringMachine::PlayAltGreeting() {
    ITelephoneDevice& dev = m_phone.Device();
    dev.SetStopRequest(false);
    m_phone.Trace("Play alt greeting:\n");
    std::string file = CallerGreeting(m_phone.sWaveAltGreet);
    if (!dev.IsAvailable())
        return;
    if (!m_state.bOffHook)
        m_line.GoOffHook();
    m_state.bOffHook = true;
    if (GreetingReadable(file))
        m_host.PlayEnded(dev.PlayFile(file, true));
}
