// Keys typed on a line can be a secret: the PIN of remote access, and the
// menu keys after it. While a CPrivateKeys lives (on any thread), no text
// for a log, a status line or the window names a key the line sent; such a
// text shows ShownKey's placeholder instead.
#pragma once

#include <string>

// Whether keys are to be kept out of every text now.
bool KeysPrivate();

// ch as a text shows it: the character itself, or kHiddenKey while keys are
// private. Bytes that are not printable show as '?'.
inline constexpr char kHiddenKey = '?';
char ShownKey(int ch);

class CPrivateKeys {
public:
    CPrivateKeys();
    ~CPrivateKeys();
    CPrivateKeys(const CPrivateKeys&) = delete;
    CPrivateKeys& operator=(const CPrivateKeys&) = delete;
};
