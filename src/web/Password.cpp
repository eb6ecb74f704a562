#include "web/Password.h"

#include <sodium.h>

#include <mutex>
#include <stdexcept>

namespace {
std::mutex g_hashMutex;

void EnsureSodium() {
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium cannot start");
}
} // namespace

std::string HashWebPassword(const std::string& sPassword) {
    EnsureSodium();
    char hash[crypto_pwhash_STRBYTES];
    std::lock_guard lock(g_hashMutex);
    if (crypto_pwhash_str(hash, sPassword.data(), sPassword.size(),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return {};
    return hash;
}

bool CheckWebPassword(const std::string& sPassword, const std::string& sHash) {
    EnsureSodium();
    if (sHash.empty() || sHash.size() >= crypto_pwhash_STRBYTES)
        return false;
    std::lock_guard lock(g_hashMutex);
    return crypto_pwhash_str_verify(sHash.c_str(), sPassword.data(), sPassword.size()) == 0;
}

std::string RandomWebPassword() {
    EnsureSodium();
    static const char kChars[] = "abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    std::string password;
    for (int i = 0; i < 16; ++i)
        password += kChars[randombytes_uniform(sizeof kChars - 1)];
    return password;
}

std::string RandomToken() {
    EnsureSodium();
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    char hex[sizeof bytes * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
    return hex;
}

bool SameToken(const std::string& a, const std::string& b) {
    return a.size() == b.size() && !a.empty() &&
           sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}
