#include "notify/SpooledNotice.h"

#include "platform/TextUtil.h"

#include <ctime>
#include <string_view>

namespace {

std::string Escape(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string Unescape(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const char c = s[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

bool ParseInt64(const std::string& s, int64_t& value) {
    if (s.empty() || s.size() > 18)
        return false;
    int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

} // namespace

std::string FormatSpooledNotice(const SpooledNotice& n) {
    std::string out;
    auto field = [&](const char* key, const std::string& value) {
        out += std::string(key) + "=" + Escape(value) + "\n";
    };
    field("queued", std::to_string(n.nQueuedMs));
    field("attach", n.bAttach ? "1" : "0");
    field("name", n.call.sName);
    field("number", n.call.sNumber);
    field("memo", n.call.sMemo);
    field("time", n.call.sTime);
    field("date", n.call.sDate);
    field("recording", n.call.sRecordingPath);
    return out;
}

std::optional<SpooledNotice> ParseSpooledNotice(const std::string& text) {
    SpooledNotice n;
    bool bQueued = false;
    for (const std::string& line : SplitKeepEmpty(text, '\n')) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        std::string value = Unescape(std::string_view(line).substr(eq + 1));
        if (key == "queued")
            bQueued = ParseInt64(value, n.nQueuedMs);
        else if (key == "attach")
            n.bAttach = value == "1";
        else if (key == "name")
            n.call.sName = std::move(value);
        else if (key == "number")
            n.call.sNumber = std::move(value);
        else if (key == "memo")
            n.call.sMemo = std::move(value);
        else if (key == "time")
            n.call.sTime = std::move(value);
        else if (key == "date")
            n.call.sDate = std::move(value);
        else if (key == "recording")
            n.call.sRecordingPath = std::move(value);
    }
    if (!bQueued)
        return std::nullopt;
    return n;
}

std::string SpooledNoticeName(const CallForMail& call, int64_t nQueuedMs) {
    std::string base;
    const std::string& path = call.sRecordingPath;
    if (!path.empty()) {
        base = path.substr(path.rfind('/') + 1);
        if (base.size() > 4 && EqualsNoCase(base.substr(base.size() - 4), ".wav"))
            base.resize(base.size() - 4);
    }
    if (base.empty()) {
        const std::time_t t = static_cast<std::time_t>(nQueuedMs / 1000);
        std::tm local{};
        localtime_r(&t, &local);
        char stamp[40];
        std::strftime(stamp, sizeof stamp, "call %Y-%m-%d, %H_%M_%S", &local);
        base = stamp;
    }
    return base + kNoticeSuffix;
}
