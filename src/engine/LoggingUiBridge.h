// The front end of the headless service and of the tests: every call becomes
// one log line, questions take their default answer at once.
#pragma once

#include "engine/UiBridge.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class CLoggingUiBridge : public IUiBridge {
public:
    using LineSink = std::function<void(const std::string&)>;

    // Lines go to sink (one call per line, without line end); without a sink
    // they are only kept (see Lines()). bTraceToSink false keeps the trace
    // lines (what a window would show: title, timers, caller fields, the
    // call's steps) out of the sink, for a log that tells its own story of
    // each call; they are still kept.
    explicit CLoggingUiBridge(LineSink sink = {}, bool bTraceToSink = true);

    void SetStatusText(const std::string& text) override;
    void SetWindowTitle(const std::string& title) override;
    void CallerChanged(const CallerDisplay& caller) override;
    void UpdateCurrentCall(bool bFinished) override;
    void ClearLastPlayed() override;
    void SetCallListFilter(const std::string& text) override;
    void SetTrayTooltip(const std::string& text) override;
    void StartTimer(UiTimer timer, uint32_t ms) override;
    void StopTimer(UiTimer timer) override;
    void ActivateMainWindow() override;
    void ShowPopup() override;
    void SetCallBusy(bool bBusy) override;
    void SetHandsetRecording(bool bOn) override;
    void AppendToneKey(char key) override;
    void MonitoringChanged(bool bPaused) override;
    void ShowMessage(int stringId, MessageIcon icon) override;
    void AskYesNo(int stringId, bool bDefaultYes, std::function<void(bool)> onAnswer) override;
    void ShowMessageText(const std::string& text, MessageIcon icon) override;
    void AskYesNoText(const std::string& text, bool bDefaultYes,
                      std::function<void(bool)> onAnswer) override;

    // The most recent lines (at most kKeptLines), oldest first.
    std::vector<std::string> Lines() const;
    static constexpr size_t kKeptLines = 1000;

private:
    enum class Kind { Event, Trace };
    void Log(const std::string& line, Kind kind = Kind::Event);

    LineSink m_sink;
    bool m_bTraceToSink;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

// Text made safe for one log line: control characters shown as "\xNN", so a
// caller's name cannot start a forged line of its own.
std::string LogEscape(const std::string& text);
