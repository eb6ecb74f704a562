// A file or folder name that a request names (in its query or a form), made
// safe to open: decoded once, checked to be one plain name, and resolved to a
// path that stays inside the folder it is looked for in. Anything else is
// refused with the reason, never opened.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The longest name taken, in bytes (the file systems' own limit).
constexpr size_t kMaxSafeNameBytes = 255;

// raw as the request carries it (percent escapes, '+' for a space), decoded
// once. nullopt, with the reason in *pError, when the result is empty, "."
// or holds "..", a slash or backslash, NUL or another control character, a
// percent escape still (the name was encoded twice), or is too long; or when
// raw holds a broken escape.
std::optional<std::string> DecodeSafeName(std::string_view raw, std::string* pError = nullptr);

// The path of the name raw inside folder: a name DecodeSafeName takes, whose
// path with every link followed is still inside folder (it need not exist).
// nullopt, with the reason in *pError, otherwise.
std::optional<std::filesystem::path> SafePathIn(const std::filesystem::path& folder,
                                                std::string_view raw,
                                                std::string* pError = nullptr);
