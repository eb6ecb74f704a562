#include "platform/TextUtil.h"

#include <cstdarg>
#include <cstdio>

namespace {
bool IsBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
} // namespace

std::string_view TrimView(std::string_view s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && IsBlankChar(s[b]))
        ++b;
    while (e > b && IsBlankChar(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string Trim(std::string_view s) {
    return std::string(TrimView(s));
}

std::string ToLowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return r;
}

std::string ToUpperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return r;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string Utf8Truncate(std::string s, size_t maxBytes) {
    if (s.size() <= maxBytes)
        return s;
    size_t cut = maxBytes;
    // Step back over continuation bytes to the start of the cut sequence, and
    // drop that sequence when it would not fit whole.
    size_t start = cut;
    while (start > 0 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80)
        --start;
    if (start < cut || (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
        cut = start;
    s.resize(cut);
    return s;
}

std::vector<std::string> SplitKeepEmpty(std::string_view s, char sep) {
    std::vector<std::string> out;
    size_t pos = 0;
    for (;;) {
        size_t next = s.find(sep, pos);
        if (next == std::string_view::npos) {
            out.emplace_back(s.substr(pos));
            return out;
        }
        out.emplace_back(s.substr(pos, next - pos));
        pos = next + 1;
    }
}

std::string StrPrintf(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n));
        std::vsnprintf(out.data(), out.size() + 1, fmt, ap2);
    }
    va_end(ap2);
    return out;
}
