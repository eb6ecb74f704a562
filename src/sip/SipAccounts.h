// The SIP accounts a SIP provider offers as lines, kept in the settings
// file, one section per account ("[SIP1]", "[SIP2]" ...). A file that holds
// a password is kept readable by its owner only, as for the mail password.
#pragma once

#include <string>
#include <vector>

class ProfileFile;

enum class SipTransport { Udp = 0, Tcp = 1, Tls = 2 };

struct SipAccount {
    std::string sName;      // the line's name; "user@registrar" when empty
    std::string sRegistrar; // host[:port]; empty: no registration, direct calls only
    std::string sUser;
    std::string sPassword;
    SipTransport transport = SipTransport::Udp;
    // Where the line listens: empty is every interface, as a desk phone
    // does; "127.0.0.1" keeps it on this machine.
    std::string sBindAddress;
    int nPort = 5060; // 0: any free port
    // TLS only: the certificates trusted for the registrar and the far
    // ends the line calls (a PEM file), for a server whose certificate no
    // public authority signed; empty: the system's authorities.
    std::string sTlsCaFile;

    std::string LineName() const;
};

constexpr int kMaxSipAccounts = 8;

// Why there is no SIP line when the settings name no account.
inline constexpr const char* kNoSipAccountText =
    "the settings name no SIP account (sections [SIP1] to [SIP8] with sUser)";

// The accounts of the sections SIP1 ... SIP8 that name a user.
std::vector<SipAccount> ReadSipAccounts(const ProfileFile& ini);
// Replaces them (sections of accounts beyond the list are emptied) and
// saves the file, private when a password is in it. False when it could not
// be saved.
bool WriteSipAccounts(ProfileFile& ini, const std::vector<SipAccount>& accounts);
