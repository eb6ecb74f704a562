#include "engine/CallerText.h"

#include "platform/TextUtil.h"

#include <climits>

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 when it is not one.
size_t Utf8SequenceLength(std::string_view s, size_t i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = 0;
    unsigned min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    unsigned cp = c & (0xFF >> (len + 1));
    for (size_t k = 1; k < len; ++k) {
        unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

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
