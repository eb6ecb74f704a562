// The real IStartupEnvironment: the clock, the control socket of the runtime
// folder, and a message sink the program chooses (a message box in the
// desktop program, the log in the service).
#pragma once

#include "app/CommandLine.h"

#include <functional>
#include <string>

class CStartupEnvironment : public IStartupEnvironment {
public:
    using MessageSink = std::function<void(const std::string&)>;
    explicit CStartupEnvironment(MessageSink sink) : m_sink(std::move(sink)) {}

    void Sleep(unsigned ms) override;
    void ShowMessage(const std::string& text) override;
    bool IsInstanceRunning() override;
    void AskRunningInstance(const std::string& request) override;

private:
    MessageSink m_sink;
};
