// The real IStartupEnvironment: the clock, the control socket of the runtime
// folder, and a message sink the program chooses (a message box in the
// desktop program, the terminal in the service). A program that logs also
// gives a log sink: a start that hands over to the running instance says so
// there, instead of ending without a word.
#pragma once

#include "app/CommandLine.h"

#include <functional>
#include <string>

class CStartupEnvironment : public IStartupEnvironment {
public:
    using MessageSink = std::function<void(const std::string&)>;
    explicit CStartupEnvironment(MessageSink sink, MessageSink log = {})
        : m_sink(std::move(sink)), m_log(std::move(log)) {}

    void Sleep(unsigned ms) override;
    void ShowMessage(const std::string& text) override;
    bool IsInstanceRunning() override;
    void AskRunningInstance(const std::string& request) override;

private:
    MessageSink m_sink;
    MessageSink m_log;
};
