// What the caller-ID parsers promise of every field, whatever the line sent:
// at most 255 bytes and no control characters.
#pragma once

#include <cstdlib>
#include <string>

inline void CheckField(const std::string& s) {
    if (s.size() > 255)
        std::abort();
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F)
            std::abort();
}
