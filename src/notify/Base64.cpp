#include "notify/Base64.h"

#include <cstdint>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kGroupsPerLine = 19; // 76 characters

inline char* EncodeGroup(const uint8_t* p, char* out) {
    uint32_t v = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    out[0] = kAlphabet[v >> 18];
    out[1] = kAlphabet[(v >> 12) & 63];
    out[2] = kAlphabet[(v >> 6) & 63];
    out[3] = kAlphabet[v & 63];
    return out + 4;
}

inline char* EncodeTail(const uint8_t* p, size_t rest, char* out) {
    uint32_t v = uint32_t(p[0]) << 16;
    if (rest == 2)
        v |= uint32_t(p[1]) << 8;
    out[0] = kAlphabet[v >> 18];
    out[1] = kAlphabet[(v >> 12) & 63];
    out[2] = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out[3] = '=';
    return out + 4;
}

std::string Encode(const uint8_t* p, size_t size, bool lines) {
    const size_t chars = 4 * ((size + 2) / 3);
    const size_t breaks = lines ? chars / 76 + 1 : 0;
    std::string out(chars + 2 * breaks, '\0');
    char* o = out.data();
    size_t groups = size / 3;
    size_t inLine = 0;
    for (size_t g = 0; g < groups; ++g) {
        o = EncodeGroup(p + 3 * g, o);
        if (lines && ++inLine == kGroupsPerLine) {
            *o++ = '\r';
            *o++ = '\n';
            inLine = 0;
        }
    }
    if (size % 3) {
        o = EncodeTail(p + 3 * groups, size % 3, o);
        ++inLine;
    }
    if (lines && (inLine > 0 || size == 0)) {
        *o++ = '\r';
        *o++ = '\n';
    }
    out.resize(static_cast<size_t>(o - out.data()));
    return out;
}

} // namespace

std::string Base64EncodeLines(const void* data, size_t size) {
    return Encode(static_cast<const uint8_t*>(data), size, true);
}

std::string Base64Encode(std::string_view data) {
    return Encode(reinterpret_cast<const uint8_t*>(data.data()), data.size(), false);
}
