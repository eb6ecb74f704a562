#include "engine/CallerText.h"

#include "platform/TextUtil.h"

#include <climits>

std::string SanitizeCallerText(std::string_view text, size_t maxBytes) {
    std::string out;
    out.reserve(std::min(text.size(), maxBytes + 4));
    for (size_t i = 0; i < text.size() && out.size() < maxBytes + 4;) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c == '\t')
                out += ' ';
            else if (c >= 0x20 && c != 0x7F)
                out += static_cast<char>(c);
            ++i;
            continue;
        }
        size_t len = Utf8SequenceLength(text, i);
        if (len == 0) {
            out += '?';
            ++i;
        } else {
            out.append(text.substr(i, len));
            i += len;
        }
    }
    return Utf8Truncate(std::move(out), maxBytes);
}

std::string CleanCidValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::string_view("\r\n \t=:").find(text[i]) != std::string_view::npos)
        ++i;
    return SanitizeCallerText(text.substr(i));
}

int LeadingInt(std::string_view text) {
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        v = v * 10 + (c - '0');
        if (v > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(v);
}
