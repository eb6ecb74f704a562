// Hands a composed message to the user's own mail program through
// xdg-email: subject, body, recipients and one attachment. The mail program
// shows it; whether the user sends it is theirs to decide.
#pragma once

#include <string>
#include <vector>

struct HandoffMessage {
    std::string sSubject;
    std::string sBody;
    std::vector<std::string> recipients;
    std::string sAttachment; // a file path, or empty
};

// The xdg-email program on PATH, or "" when there is none (the hand-off is
// then unavailable).
std::string FindMailHandoffTool();

// Starts xdg-email with the message, as an argument vector (never through a
// shell) and without waiting for the mail program. False, with sError,
// when the tool is missing or cannot be started.
bool HandOffMail(const HandoffMessage& message, std::string* sError = nullptr);
