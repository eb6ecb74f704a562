#include "notify/SmsText.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

// The Latin-1 letters U+00C0 to U+00FF without their accents ('?' for
// those with no plain form).
constexpr std::string_view kLatin1Letters = "AAAAAAACEEEEIIII"
                                            "DNOOOOO?OUUUUYTs"
                                            "aaaaaaaceeeeiiii"
                                            "dnooooo?ouuuuyty";

constexpr std::string_view kExtension = "^{}\\[~]|";

// The code point of the UTF-8 sequence of n bytes at s[i].
uint32_t CodePoint(std::string_view s, size_t i, size_t n) {
    if (n == 1)
        return static_cast<unsigned char>(s[i]);
    uint32_t c = static_cast<unsigned char>(s[i]) & (0x7F >> n);
    for (size_t k = 1; k < n; ++k)
        c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    return c;
}

char SmsChar(uint32_t c) {
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
        return ' ';
    if (c == '`')
        return '\'';
    if (c < 0x7F)
        return static_cast<char>(c);
    if (c >= 0xC0 && c <= 0xFF)
        return kLatin1Letters[c - 0xC0];
    return '?';
}

} // namespace

std::string FillSmsPattern(std::string_view pattern, const SmsFields& fields) {
    if (pattern.empty())
        pattern = kDefaultSmsPattern;
    const std::pair<std::string_view, std::string> words[] = {
        {"call.event", fields.sEvent},
        {"call.number", fields.sNumber},
        {"call.name", fields.sName},
        {"call.seconds", std::to_string(fields.nSeconds)},
    };
    std::string out;
    for (size_t i = 0; i < pattern.size();) {
        const auto* word = std::find_if(std::begin(words), std::end(words), [&](const auto& w) {
            return pattern.substr(i, w.first.size()) == w.first;
        });
        if (word == std::end(words)) {
            out += pattern[i++];
        } else {
            out += word->second;
            i += word->first.size();
        }
    }
    return out;
}

std::string ToSmsText(std::string_view utf8, size_t maxSeptets) {
    std::string out;
    size_t septets = 0;
    for (size_t i = 0; i < utf8.size();) {
        size_t n = Utf8SequenceLength(utf8, i);
        char c = n ? SmsChar(CodePoint(utf8, i, n)) : '?';
        i += n ? n : 1;
        if (c == ' ' && (out.empty() || out.back() == ' '))
            continue;
        size_t cost = kExtension.find(c) != std::string_view::npos ? 2 : 1;
        if (septets + cost > maxSeptets)
            break;
        out += c;
        septets += cost;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string SmsRecipient(std::string_view phone) {
    std::string out;
    for (char c : Trim(phone)) {
        if (c >= '0' && c <= '9')
            out += c;
        else if (c == '+' && out.empty())
            out += c;
        else if (std::string_view(" -./()").find(c) == std::string_view::npos)
            return "";
    }
    return out.size() > (out.starts_with('+') ? 1u : 0u) && out.size() <= 21 ? out : "";
}
