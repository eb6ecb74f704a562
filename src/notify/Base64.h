// Base64 with the standard alphabet and "=" padding.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// For mail bodies: a CRLF after every 76 output characters, and the text
// always ends with CRLF (also when it is empty).
std::string Base64EncodeLines(const void* data, size_t size);
// One unbroken line, for SMTP AUTH.
std::string Base64Encode(std::string_view data);
