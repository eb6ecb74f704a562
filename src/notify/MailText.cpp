#include "notify/MailText.h"

#include "notify/Base64.h"
#include "platform/TextUtil.h"

#include <cstdlib>

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool IsPrintableAscii(std::string_view s) {
    for (char c : s) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E)
            return false;
    }
    return true;
}

// Cuts UTF-8 text into pieces of at most maxBytes without splitting a
// character, for encoded words that must stay short.
size_t Utf8Cut(std::string_view s, size_t maxBytes) {
    if (s.size() <= maxBytes)
        return s.size();
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
        --cut;
    return cut == 0 ? maxBytes : cut;
}

} // namespace

std::string HeaderSafe(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            c = ' ';
    }
    return out;
}

std::string EncodeHeaderText(std::string_view text) {
    std::string safe = HeaderSafe(text);
    if (IsPrintableAscii(safe))
        return safe;
    std::string out;
    std::string_view rest(safe);
    while (!rest.empty()) {
        // 45 bytes make 60 base64 characters: the word stays within 75.
        size_t n = Utf8Cut(rest, 45);
        if (!out.empty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + Base64Encode(rest.substr(0, n)) + "?=";
        rest.remove_prefix(n);
    }
    return out;
}

std::string EncodeDisplayName(std::string_view name) {
    std::string safe = HeaderSafe(name);
    if (!IsPrintableAscii(safe))
        return EncodeHeaderText(safe);
    if (safe.find_first_of("()<>[]:;@\\,.\"") == std::string::npos)
        return safe;
    std::string out = "\"";
    for (char c : safe) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string NormalizeLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string EncodeQuotedPrintable(std::string_view text) {
    const std::string normal = NormalizeLineEnds(text);
    std::string out;
    out.reserve(normal.size() + normal.size() / 8 + 16);
    size_t lineLen = 0;
    auto put = [&](const std::string& token) {
        if (lineLen + token.size() > 75) { // room for the "=" of a soft break
            out += "=\r\n";
            lineLen = 0;
        }
        out += token;
        lineLen += token.size();
    };
    for (size_t i = 0; i < normal.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(normal[i]);
        if (c == '\r' && i + 1 < normal.size() && normal[i + 1] == '\n') {
            out += "\r\n";
            lineLen = 0;
            ++i;
            continue;
        }
        bool atLineEnd = i + 1 == normal.size() || normal[i + 1] == '\r';
        bool literal = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !atLineEnd);
        // A line start of "-" or "." is encoded too (see the header).
        if ((c == '-' || c == '.') && lineLen == 0)
            literal = false;
        std::string token;
        if (literal) {
            token = std::string(1, static_cast<char>(c));
        } else {
            token = "=";
            token += kHex[c >> 4];
            token += kHex[c & 15];
        }
        // A literal "-" or "." can still land at a line start after a soft
        // break; encode it then.
        if (literal && (c == '-' || c == '.') && lineLen + 1 > 75) {
            token = "=";
            token += kHex[c >> 4];
            token += kHex[c & 15];
        }
        put(token);
    }
    return out;
}

std::string DotStuff(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && c == '.')
            out += '.';
        out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::string FormatMailDate(std::time_t t) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm tm{};
    ::localtime_r(&t, &tm);
    long offset = tm.tm_gmtoff; // seconds east of UTC, daylight time included
    char sign = offset < 0 ? '-' : '+';
    long minutes = std::labs(offset) / 60;
    return StrPrintf("%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", kDays[tm.tm_wday % 7],
                     tm.tm_mday, kMonths[tm.tm_mon % 12], tm.tm_year + 1900, tm.tm_hour, tm.tm_min,
                     tm.tm_sec, sign, minutes / 60, minutes % 60);
}
