// The private runtime folder where a running instance publishes its control
// socket, and the names derived from it.
//
// "$XDG_RUNTIME_DIR/vorella/", or "/tmp/vorella-<uid>/" where XDG_RUNTIME_DIR
// is unset (root on a server). The folder must be a real folder owned by the
// user and closed to everybody else: the control socket and block hand over the
// recorder to whoever reaches them.
#pragma once

#include <string>

// The folder with a trailing "/", created 0700 when missing; "" with a reason
// in *error when it cannot be made or is not private.
std::string GetRuntimeFolder(std::string* error);

// Creates path (one level) with mode 0700 when missing, then checks that it is
// a folder (not a link), owned by the effective user, with no access for group
// or others. Returns false with a reason in *error otherwise.
bool EnsurePrivateFolder(const std::string& path, std::string* error);

// The control socket of the instance that uses runtimeFolder.
std::string ControlSocketPath(const std::string& runtimeFolder);

// The POSIX shared-memory name of the external-control block:
// "/VorellaSharedMemorySection.<uid>" for the session's standard runtime
// folder, with a hash of the folder added for any other folder, so that two
// instances with their own runtime folders (tests side by side) never share it.
std::string ControlBlockName(const std::string& runtimeFolder);
