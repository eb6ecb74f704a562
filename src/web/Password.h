// The web login's password: stored only as an argon2id hash string
// (libsodium's crypto_pwhash_str, the interactive limits: 64 MB a hash),
// and checked one login at a time, so that a burst of logins cannot take
// the box's memory.
#pragma once

#include <cstddef>
#include <string>

// The lengths a password may have, in bytes.
inline constexpr size_t kMinWebPasswordLength = 8;
inline constexpr size_t kMaxWebPasswordLength = 1024;

// The hash string of sPassword; "" when it could not be made (no memory).
std::string HashWebPassword(const std::string& sPassword);
// sPassword against a stored hash string; false for an empty or broken hash.
bool CheckWebPassword(const std::string& sPassword, const std::string& sHash);
// A password for a demonstration: 16 random letters and digits.
std::string RandomWebPassword();
// 256 random bits as 64 hexadecimal digits (session ids, form tokens).
std::string RandomToken();
// Compares two tokens in a time that does not depend on where they differ.
bool SameToken(const std::string& a, const std::string& b);
