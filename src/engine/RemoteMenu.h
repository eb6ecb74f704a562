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
// the trash with their records when the call ends. Nothing here dials out,
// and neither a PIN nor a digit of one reaches a log.
//
// Worker thread only.
#pragma once

#include "engine/RemoteAccess.h"
#include "screening/ScreeningTypes.h"

#include <optional>
#include <set>
#include <string>

class CCallEventPublisher;
class CCallHistory;
class CCallLog;
class CPhone;
struct CCallStateData;

// What the caller hears before a message ("" nothing). One place, so that
// spoken announcements (who called and when) can take it over.
std::string MessageAnnouncement(const HistoryEntry& message);

class CRemoteMenu {
public:
    CRemoteMenu(CPhone& phone, CCallStateData& state, CCallHistory& history, CCallLog& callLog,
                CCallEventPublisher& events);
    CRemoteMenu(const CRemoteMenu&) = delete;
    CRemoteMenu& operator=(const CRemoteMenu&) = delete;

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
    // Waits up to ms for a key or the caller hanging up; -1 for none.
    int WaitKey(uint64_t ms);
    std::optional<std::string> ReadPin(int key);
    int PlayMessage(const HistoryEntry& message);
    void DeleteMarked();
    bool LineUp() const;
    void Tell(const std::string& text);

    CPhone& m_phone;
    CCallStateData& m_state;
    CCallHistory& m_history;
    CCallLog& m_callLog;
    CCallEventPublisher& m_events;
    CRemoteAccess m_guard;
    std::string m_sPinProblem;      // the last one told
    std::set<std::string> m_marked; // recordings the caller deleted in this call
};
