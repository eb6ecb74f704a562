#include "app/StartupEnvironment.h"

#include "platform/SingleInstance.h"
#include "platform/TickCount.h"

void CStartupEnvironment::Sleep(unsigned ms) {
    SleepMs(ms);
}

void CStartupEnvironment::ShowMessage(const std::string& text) {
    if (m_sink)
        m_sink(text);
}

bool CStartupEnvironment::IsInstanceRunning() {
    return ::IsInstanceRunning();
}

void CStartupEnvironment::AskRunningInstance(const std::string& request) {
    // A running instance that does not answer is no reason for this start to
    // hang: the request is sent with a deadline and this process ends anyway.
    const ControlReply reply = ::AskRunningInstance(request);
    if (!m_log || request != kRequestShow)
        return;
    if (reply.status == ControlStatus::Ok)
        m_log("Vorella is already running; asked it to show its main window.");
    else
        m_log("Vorella is already running; asking it to show its main window failed: " +
              (reply.error.empty() ? std::string("no answer") : reply.error));
}
