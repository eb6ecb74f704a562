#include "platform/PrivateKeys.h"

#include <atomic>

namespace {
std::atomic<int> g_nPrivate{0}; // the CPrivateKeys alive
} // namespace

bool KeysPrivate() {
    return g_nPrivate.load() > 0;
}

char ShownKey(int ch) {
    if (KeysPrivate() || ch < 0x20 || ch >= 0x7F)
        return kHiddenKey;
    return static_cast<char>(ch);
}

CPrivateKeys::CPrivateKeys() {
    ++g_nPrivate;
}

CPrivateKeys::~CPrivateKeys() {
    --g_nPrivate;
}
