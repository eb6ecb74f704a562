// The single-instance rule on top of the control socket: whoever listens on
// the socket is the running instance; a later start asks it to show its main
// window (or to quit) and ends.
#pragma once

#include "platform/ControlSocket.h"

#include <string>

// The request words an instance understands besides external control.
inline constexpr const char* kRequestShow = "show";
inline constexpr const char* kRequestQuit = "quit";
inline constexpr const char* kRequestCall = "call";

// How long a start waits for the running instance to answer.
inline constexpr uint32_t kInstanceReplyTimeoutMs = 10000;

// True when an instance runs for this user and runtime folder.
bool IsInstanceRunning();

// Sends one request word to the running instance (NotRunning when there is none).
ControlReply AskRunningInstance(const std::string& request,
                                uint32_t timeoutMs = kInstanceReplyTimeoutMs);

enum class ClaimResult {
    First,       // this process is the instance; server listens
    AnotherRuns, // an instance is already running
    Failed,      // no runtime folder or socket; see error
};

// Makes this process the running instance by listening on the control socket
// of the runtime folder.
ClaimResult ClaimInstance(ControlServer& server, std::string* error);
