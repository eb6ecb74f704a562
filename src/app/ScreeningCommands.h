// Blocking or permitting a caller in one step and pausing screening, as the
// pop-up, the tray, the main window's menus and external control ask for it:
// one place for all of them, so each says the same and changes the same.
//
// The contacts file (Options/sFileContacts) is opened for the change and
// closed after it; the worker keeps its own connection, and the file takes
// both (and vorella-tool's) at once.
#pragma once

#include "screening/Contact.h"

#include <string>

class CCallState;

struct ScreeningReply {
    bool bDone = false;
    // For the status line and external control's reply: what was done
    // ("555-1234 is blocked"), or what was not and why.
    std::string sText;
};

// The number of the run's last caller, as the network sent it ("" when no
// call has rung, or its caller sent no number).
std::string LastCallerNumber(const CCallState& state);

// The pop-up offers "Block caller", "Add to contacts" and "Always let
// through" for the number it shows only when that is a number: not before
// the caller is known, nor for a withheld or unreadable caller ID.
bool OffersListCommands(const std::string& sShownNumber);

// Puts sNumber on the list (ContactList::Block or Permit; None takes it off
// both): the contact that has the number moves, a number no contact has gets
// a contact of its own. An empty sNumber means the last caller.
ScreeningReply PutCallerOnList(const CCallState& state, const std::string& sNumber,
                               ContactList list);

// Makes a contact of the caller: the number and the caller's name (the
// number itself when the network sent none), on neither list. A number a
// contact has already is left as it is, and the reply says whose it is.
ScreeningReply AddCallerToContacts(const std::string& sNumber, const std::string& sName);

// Screening paused (every call rings as if nobody were screened) or on: the
// setting bScreeningPaused, stored at once; the worker reads it for each call.
ScreeningReply SetScreeningPaused(bool bPaused);
bool IsScreeningPaused();
