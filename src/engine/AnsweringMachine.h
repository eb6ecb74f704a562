// CAnsweringMachine: answers a call with the greeting (the caller's own, or
// the phone's), lets the caller's keys run their actions meanwhile, and
// records the message after it; a call that hangs up during the greeting is
// still listed. It also plays the alternative greeting.
//
// Worker thread only.
#pragma once

#include <string>

class CCallEventPublisher;
class CCallRecorder;
class CPhone;
class CRemoteMenu;
class ICallControl;
struct CCallStateData;

// What the machine asks of the worker beyond the line.
class IMachineHost {
public:
    // Runs what a line event asks for: a key's action, a fax handed over.
    virtual void RunLineEvent(int ch) = 0;
    // Records the caller's message (the worker's recording request).
    virtual void RecordMessage() = 0;
    // The event that ended a play to the line (-1 none).
    virtual void PlayEnded(int ev) = 0;

protected:
    ~IMachineHost() = default;
};

class CAnsweringMachine {
public:
    CAnsweringMachine(CPhone& phone, CCallStateData& state, CCallRecorder& recorder,
                      ICallControl& line, IMachineHost& host, CCallEventPublisher& events);
    CAnsweringMachine(const CAnsweringMachine&) = delete;
    CAnsweringMachine& operator=(const CAnsweringMachine&) = delete;

    // Answers the call ringing now: greeting, then the message.
    void Answer();
    // Plays the alternative greeting to the line.
    void PlayAltGreeting();
    // Whether the machine, not the user, has the call now.
    bool Answering() const { return m_bAnswering; }
    // Remote access, offered to a caller who presses its key in the greeting.
    void SetRemoteMenu(CRemoteMenu* pRemote) { m_pRemote = pRemote; }

private:
    void AnswerCall();
    std::string CallerGreeting(const std::string& fallback) const;
    // The greeting for the moment: the schedule's when one is set and
    // serves, else sWaveGreet.
    std::string GreetingForNow();
    // True when the greeting file can be read; otherwise says why on the
    // status line.
    bool GreetingReadable(const std::string& file);
    bool RunGreetingKey(int ch);
    // Asks a challenged caller for the key; true when the right one came.
    bool PassChallenge();

    CPhone& m_phone;
    CCallStateData& m_state;
    CCallRecorder& m_recorder;
    ICallControl& m_line;
    IMachineHost& m_host;
    CCallEventPublisher& m_events;
    bool m_bAnswering = false;
    CRemoteMenu* m_pRemote = nullptr;
    std::string m_sScheduleProblem; // the last one told
};
