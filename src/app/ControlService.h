// The running instance's side of the control socket: answers "show" and
// "quit" from later starts and "call" (act on the external-control block)
// from other programs, all through IExternalControl.
//
// It lives on the UI thread: the loop calls Process(), which answers the
// requests there, one at a time, as window messages would be.
#pragma once

#include "app/CommDll.h"
#include "app/ExternalControl.h"
#include "platform/ControlSocket.h"

#include <cstdint>
#include <string>

class CControlService {
public:
    explicit CControlService(IExternalControl& control) : m_control(control) {}

    enum class StartResult {
        Serving,     // the socket and the block are ours
        NoBlock,     // the socket is ours, but the block could not be made
        AnotherRuns, // an instance already serves
        Failed,      // no socket
    };

    // Claims the control socket and opens the block. AnotherRuns when an
    // instance is already serving; its block is then left alone. A start with
    // "copy" (a restart) gives the leaving instance waitForPreviousMs to let go
    // of the socket. Without the block the socket is still kept (NoBlock):
    // it is what makes this the one instance, and later starts still reach
    // it; only the block's commands answer "disabled".
    StartResult Start(std::string* error, uint32_t waitForPreviousMs = 0);
    void Stop();

    CCommDll& CommDll() { return m_commDll; }
    ControlServer& Server() { return m_server; }

    // Serves what is waiting, waiting at most waitMs.
    void Process(int waitMs) { m_server.Process(waitMs); }

    // The reply to one request line.
    std::string Handle(const std::string& request);

private:
    IExternalControl& m_control;
    CCommDll m_commDll;
    ControlServer m_server;
};
