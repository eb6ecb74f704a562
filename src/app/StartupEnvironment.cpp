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
    ::AskRunningInstance(request);
}
