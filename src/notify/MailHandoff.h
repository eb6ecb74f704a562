// Hands a composed message to the user's own mail program through
// xdg-email: subject, body, recipients and one attachment. The mail program
// shows it; whether the user sends it is theirs to decide.
#pragma once

#include <string>
#include <vector>

// How long a private copy of the attachment is kept once xdg-email has
// ended. xdg-email may only pass the message to a mail program that is
// already running and return at once; that program reads the file later,
// when the compose window opens or even only when the user sends.
inline constexpr unsigned kHandoffKeepSeconds = 3600;

struct HandoffMessage {
    std::string sSubject;
    std::string sBody;
    std::vector<std::string> recipients;
    std::string sAttachment; // a file path, or empty
    // The private folder the attachment was copied into for this message, or
    // empty when the attachment is no copy. Once the hand-off has started,
    // it owns the folder and removes the copy and the folder nKeepSeconds
    // after xdg-email has ended; when the start fails, it stays the caller's.
    std::string sTempFolder{};
    unsigned nKeepSeconds = kHandoffKeepSeconds;
};

// The xdg-email program on PATH, or "" when there is none (the hand-off is
// then unavailable).
std::string FindMailHandoffTool();

// Starts xdg-email with the message, as an argument vector (never through a
// shell) and without waiting for the mail program. False, with sError,
// when the tool is missing or cannot be started.
bool HandOffMail(const HandoffMessage& message, std::string* sError = nullptr);
