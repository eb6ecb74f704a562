#include "web/FormData.h"

#include "platform/TextUtil.h"

namespace {
std::string Decode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+') {
            out += ' ';
        } else if (s[i] == '%' && i + 2 < s.size() && HexDigitValue(s[i + 1]) >= 0 &&
                   HexDigitValue(s[i + 2]) >= 0) {
            out += static_cast<char>(HexDigitValue(s[i + 1]) * 16 + HexDigitValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}
} // namespace

std::map<std::string, std::string> ParseForm(std::string_view body) {
    std::map<std::string, std::string> fields;
    while (!body.empty()) {
        const size_t amp = body.find('&');
        const std::string_view pair = body.substr(0, amp);
        body = amp == std::string_view::npos ? std::string_view() : body.substr(amp + 1);
        if (pair.empty())
            continue;
        const size_t eq = pair.find('=');
        fields.emplace(Decode(pair.substr(0, eq)),
                       eq == std::string_view::npos ? std::string() : Decode(pair.substr(eq + 1)));
    }
    return fields;
}

std::string UrlEncode(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}
