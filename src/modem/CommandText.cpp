#include "modem/CommandText.h"

#include <cstdio>

std::vector<std::string> PackInitCommands(const std::string& sInit0, const std::string& sResponseOn,
                                          const std::string& sUseEnglish,
                                          const std::string& sEchoOff,
                                          const std::string& sDevSpecificInit) {
    std::vector<std::string> lines;
    std::string line;
    auto flush = [&] {
        lines.push_back(line);
        line.clear();
    };
    auto add = [&](const std::string& cmd) {
        if (line.size() + cmd.size() >= kPackedLineLimit)
            flush();
        line += cmd;
    };
    add(sInit0);
    // A reset on the same line would discard the commands after it.
    if (sInit0.find('Z') != std::string::npos)
        flush();
    add(sResponseOn);
    add(sUseEnglish);
    add(sEchoOff);
    // With echo still on, the modem would echo the device command back.
    flush();
    add(sDevSpecificInit);
    flush();
    // Lines left empty by the rules above are not worth a command.
    std::vector<std::string> out;
    for (size_t i = 0; i < lines.size(); ++i)
        if (!lines[i].empty() || i + 1 == lines.size())
            out.push_back(lines[i]);
    return out;
}

std::vector<std::string> PackVoiceInitCommands(const std::string& sRateCommand,
                                               const std::string& sDevSpecificVoiceInit,
                                               bool bSeparateLines) {
    if (bSeparateLines || sRateCommand.size() + sDevSpecificVoiceInit.size() >= kPackedLineLimit)
        return {sRateCommand, sDevSpecificVoiceInit};
    return {sRateCommand + sDevSpecificVoiceInit};
}

namespace {

// Formats one argument with a conversion already checked to be safe.
template <typename Arg>
std::string FormatOne(const std::string& conversion, Arg arg) {
    char buf[256];
    int n = std::snprintf(buf, sizeof buf, conversion.c_str(), arg);
    return n < 0 ? std::string() : std::string(buf, std::min<size_t>(n, sizeof buf - 1));
}

std::string Apply(std::string_view format, std::string_view text, long long number, bool bNumber) {
    std::string out;
    bool used = false;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%') {
            out.push_back(c);
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        size_t j = i + 1;
        std::string conversion = "%";
        while (j < format.size() &&
               std::string_view("-+ 0#").find(format[j]) != std::string_view::npos)
            conversion.push_back(format[j++]);
        size_t widthStart = j;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9' && j - widthStart < 3)
            conversion.push_back(format[j++]);
        if (j >= format.size()) {
            out.append(format.substr(i)); // a lone "%" at the end stands for itself
            break;
        }
        char conv = format[j];
        if (std::string_view("sdiuxX").find(conv) == std::string_view::npos) {
            out.push_back(c); // not a conversion we know: literal text
            continue;
        }
        if (!used) {
            used = true;
            if (conv == 's')
                out += FormatOne(
                    conversion + "s",
                    std::string(bNumber ? std::to_string(number) : std::string(text)).c_str());
            else {
                long long v = bNumber ? number : std::atoll(std::string(text).c_str());
                out += FormatOne(conversion + "ll" + conv, v);
            }
        }
        i = j;
    }
    return out;
}

} // namespace

std::string ApplyFormat(std::string_view format, std::string_view arg) {
    return Apply(format, arg, 0, false);
}

std::string ApplyFormat(std::string_view format, long long arg) {
    return Apply(format, {}, arg, true);
}

std::string CleanDialNumber(std::string_view number, bool bTones) {
    std::string out;
    for (char c : number) {
        if (std::string_view(" ()+-_").find(c) != std::string_view::npos)
            continue;
        out.push_back(c);
        if (bTones)
            out.push_back(',');
    }
    while (!out.empty() && out.back() == ',')
        out.pop_back();
    return out;
}
