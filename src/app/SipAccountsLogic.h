// The SIP accounts dialog without its widgets: the accounts as the settings
// file holds them, the checks of what the user typed (each problem one
// clear line, so nothing is saved that would make a broken SIP address or
// an unreadable settings line), and the save (the file private when a
// password is in it).
#pragma once

#include "sip/SipAccounts.h"

#include <string>
#include <vector>

// The accounts of the settings file ([SIP1] to [SIP8]).
std::vector<SipAccount> LoadSipAccounts();
// The problems of one account; empty when there is none.
std::vector<std::string> CheckSipAccount(const SipAccount& a);
// The problems of them all, each beginning with the account's place
// ("Account 2: ..."), and one when there are too many.
std::vector<std::string> CheckSipAccounts(const std::vector<SipAccount>& accounts);
// Replaces the settings file's accounts; false, with *pError, when the file
// could not be written (it is then unchanged).
bool SaveSipAccounts(const std::vector<SipAccount>& accounts, std::string* pError);

// How the SIP line this program has open stands with its registrar, in its
// own words ("registering with pbx.example", "registered with pbx.example
// for 600 s", "Line unavailable: registration with pbx.example failed: 403
// Forbidden (wrong user name or password)"), which the line tries again by
// itself while it has failed.
struct SipLineRegistration {
    enum class State {
        NotOpen,     // no line of a running telephony layer is open
        Direct,      // open, with no registrar
        Registering, // asked, no answer yet
        Registered,
        Failed,
    };
    State state = State::NotOpen;
    std::string sLine; // the open line's name (an account's LineName())
    std::string sText;
};
// The open line's registration, asked of its provider now. May wait while
// a telephony layer starts: not for the window's thread.
SipLineRegistration OpenLineRegistration();
