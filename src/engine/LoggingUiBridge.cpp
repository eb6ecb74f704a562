#include "engine/LoggingUiBridge.h"

#include "platform/Strings.h"
#include "platform/TextUtil.h"

#include <condition_variable>
#include <memory>

namespace {

const char* IconName(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return "none";
    case MessageIcon::Information:
        return "information";
    case MessageIcon::Exclamation:
        return "exclamation";
    case MessageIcon::Error:
        return "error";
    case MessageIcon::Question:
        return "question";
    }
    return "?";
}

} // namespace

std::string LogEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F || c == '\\')
            out += StrPrintf("\\x%02X", c);
        else
            out += static_cast<char>(c);
    }
    return out;
}

CLoggingUiBridge::CLoggingUiBridge(LineSink sink, bool bTraceToSink)
    : m_sink(std::move(sink)), m_bTraceToSink(bTraceToSink) {}

void CLoggingUiBridge::Log(const std::string& line, Kind kind) {
    {
        std::lock_guard lock(m_mutex);
        if (m_lines.size() >= kKeptLines)
            m_lines.erase(m_lines.begin());
        m_lines.push_back(line);
    }
    if (m_sink && (kind == Kind::Event || m_bTraceToSink))
        m_sink(line);
}

std::vector<std::string> CLoggingUiBridge::Lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

void CLoggingUiBridge::SetStatusText(const std::string& text) {
    Log("status: " + LogEscape(text));
}

void CLoggingUiBridge::SetWindowTitle(const std::string& title) {
    Log("title: " + LogEscape(title), Kind::Trace);
}

void CLoggingUiBridge::CallerChanged(const CallerDisplay& caller) {
    Log("caller: name=\"" + LogEscape(caller.sName) + "\" number=\"" + LogEscape(caller.sNumber) +
        "\" memo=\"" + LogEscape(caller.sMemo) + "\"", Kind::Trace);
}

void CLoggingUiBridge::UpdateCurrentCall(bool bFinished) {
    Log(bFinished ? "call: finished" : "call: started", Kind::Trace);
}

void CLoggingUiBridge::ClearLastPlayed() {
    Log("list: last played cleared", Kind::Trace);
}

void CLoggingUiBridge::SetCallListFilter(const std::string& text) {
    Log("filter: \"" + LogEscape(text) + "\"", Kind::Trace);
}

void CLoggingUiBridge::SetTrayTooltip(const std::string& text) {
    Log("tooltip: " + LogEscape(text), Kind::Trace);
}

void CLoggingUiBridge::StartTimer(UiTimer timer, uint32_t ms) {
    Log(StrPrintf("timer %d: start %u ms", static_cast<int>(timer), ms), Kind::Trace);
}

void CLoggingUiBridge::StopTimer(UiTimer timer) {
    Log(StrPrintf("timer %d: stop", static_cast<int>(timer)), Kind::Trace);
}

void CLoggingUiBridge::ActivateMainWindow() {
    Log("main window: activate", Kind::Trace);
}

void CLoggingUiBridge::ShowPopup() {
    Log("popup: show", Kind::Trace);
}

void CLoggingUiBridge::SetCallBusy(bool bBusy) {
    Log(bBusy ? "call busy: on" : "call busy: off", Kind::Trace);
}

void CLoggingUiBridge::SetHandsetRecording(bool bOn) {
    Log(bOn ? "handset recording: on" : "handset recording: off", Kind::Trace);
}

void CLoggingUiBridge::AppendToneKey(char key) {
    Log("key: " + LogEscape(std::string(1, key)));
}

void CLoggingUiBridge::MonitoringChanged(bool bPaused) {
    Log(bPaused ? "monitoring: paused" : "monitoring: on");
}

void CLoggingUiBridge::ShowMessage(int stringId, MessageIcon icon) {
    Log(StrPrintf("message %d [%s]: ", stringId, IconName(icon)) + LogEscape(LoadStr(stringId)));
}

void CLoggingUiBridge::AskYesNo(int stringId, bool bDefaultYes,
                                std::function<void(bool)> onAnswer) {
    Log(StrPrintf("question %d: ", stringId) + LogEscape(LoadStr(stringId)) +
        (bDefaultYes ? " -> Yes (default)" : " -> No (default)"));
    if (onAnswer)
        onAnswer(bDefaultYes);
}

void CLoggingUiBridge::ShowMessageText(const std::string& text, MessageIcon icon) {
    Log(StrPrintf("message [%s]: ", IconName(icon)) + LogEscape(text));
}

void CLoggingUiBridge::AskYesNoText(const std::string& text, bool bDefaultYes,
                                    std::function<void(bool)> onAnswer) {
    Log("question: " + LogEscape(text) + (bDefaultYes ? " -> Yes (default)" : " -> No (default)"));
    if (onAnswer)
        onAnswer(bDefaultYes);
}

namespace {
// Asks through ask(onAnswer) and waits at most timeoutMs for the answer.
bool WaitForAnswer(const std::function<void(std::function<void(bool)>)>& ask, bool bDefaultYes,
                   uint32_t timeoutMs) {
    // Shared with the callback, which may run after we gave up waiting.
    struct Answer {
        std::mutex mutex;
        std::condition_variable cv;
        bool bDone = false;
        bool bYes = false;
    };
    auto answer = std::make_shared<Answer>();
    ask([answer](bool bYes) {
        std::lock_guard lock(answer->mutex);
        answer->bYes = bYes;
        answer->bDone = true;
        answer->cv.notify_all();
    });
    std::unique_lock lock(answer->mutex);
    if (!answer->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return answer->bDone; }))
        return bDefaultYes;
    return answer->bYes;
}
} // namespace

bool AskYesNoAndWait(IUiBridge& ui, int stringId, bool bDefaultYes, uint32_t timeoutMs) {
    return WaitForAnswer(
        [&](std::function<void(bool)> onAnswer) {
            ui.AskYesNo(stringId, bDefaultYes, std::move(onAnswer));
        },
        bDefaultYes, timeoutMs);
}

bool AskYesNoTextAndWait(IUiBridge& ui, const std::string& text, bool bDefaultYes,
                         uint32_t timeoutMs) {
    return WaitForAnswer(
        [&](std::function<void(bool)> onAnswer) {
            ui.AskYesNoText(text, bDefaultYes, std::move(onAnswer));
        },
        bDefaultYes, timeoutMs);
}
