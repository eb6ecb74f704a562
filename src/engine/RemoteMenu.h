// CRemoteMenu: remote access by phone. A caller who pressed the remote-
// access key during the greeting is asked for the PIN; with the right one
// the new messages play, oldest first, and the caller steps through them
// with the keys people know from voicemail:
//
//   1 first message   4 previous   5 repeat   6 next
//   7 delete (7 again undoes)   9 keep as heard   * help   # end
//   3 back 3 s and 0 forward 3 s while a message plays
//
// Played messages are marked heard in the call history; deleted ones go to
// the trash with their records when the call ends. Each message is announced
// in speech (its number, caller and time); the PIN request and the count of
// new messages are spoken when bPinTTS is set or their file is missing, and
// "*" speaks the keys. Nothing here dials out,
// and neither a PIN nor a digit of one reaches a log.
//
// Worker thread only.
#pragma once

#include "engine/RemoteAccess.h"
#include "screening/ScreeningTypes.h"

#include <functional>
#include <optional>
#include <set>
#include <string>

class CCallEventPublisher;
class CCallHistory;
class CCallLog;
class CPhone;
struct CCallStateData;

// What is said before a message: its place in the list (from 1), its caller
// (name, else the number digit by digit) and the day and time it came.
std::string MessageAnnouncement(const HistoryEntry& message, int nNumber, const std::string& sName);

class CRemoteMenu {
public:
    CRemoteMenu(CPhone& phone, CCallStateData& state, CCallHistory& history, CCallLog& callLog,
                CCallEventPublisher& events);
    CRemoteMenu(const CRemoteMenu&) = delete;
    CRemoteMenu& operator=(const CRemoteMenu&) = delete;

    // Seconds since the epoch; the system's clock unless set.
    using Clock = std::function<int64_t()>;
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    // Takes the PINs from the settings; a PIN that cannot be used is told
    // (without its digits) once while it stays so.
    void Configure();
    // Whether a caller may be asked for the PIN now.
    bool Offered() const;
    // The session on the line, off-hook, after the caller's key: PIN, then
    // the menu. The line is to be hung up afterwards.
    void Run();

private:
    bool AskForPin();
    void Menu();
    // Plays a prompt file (as in the settings); the key or event that
    // interrupted it, or -1.
    int Prompt(const std::string& setting);
    // Says text on the line; the key or event that interrupted it, or -1.
    int Say(const std::string& text);
    // The prompt file of setting, or text said instead when bPinTTS is set
    // or the file is not there.
    int PromptOrSay(const std::string& setting, const std::string& text);
    int Play(const std::string& file);
    // Waits up to ms for a key or the caller hanging up; -1 for none.
    int WaitKey(uint64_t ms);
    std::optional<std::string> ReadPin(int key);
    // nNumber: its place in the list, from 1.
    int PlayMessage(const HistoryEntry& message, int nNumber);
    void DeleteMarked();
    bool LineUp() const;
    void Tell(const std::string& text);
    int64_t Now() const;

    CPhone& m_phone;
    CCallStateData& m_state;
    CCallHistory& m_history;
    CCallLog& m_callLog;
    CCallEventPublisher& m_events;
    CRemoteAccess m_guard;
    Clock m_clock;
    std::string m_sPinProblem;      // the last one told
    std::string m_sSpeechProblem;   // the last one told
    std::set<std::string> m_marked; // recordings the caller deleted in this call
};
