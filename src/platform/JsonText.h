// One JSON object as text, for the programs and services that follow the
// calls: any text from a caller becomes a valid, bounded JSON string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// s as a quoted JSON string: quotes, backslashes and control characters
// escaped, bytes that are not UTF-8 as U+FFFD, and at most nMaxBytes of s
// taken (whole characters only).
std::string JsonString(std::string_view s, size_t nMaxBytes);

// The members in the order added; strings cut to the bound given.
class CJsonObject {
public:
    explicit CJsonObject(size_t nMaxString = 1024) : m_nMaxString(nMaxString) {}

    CJsonObject& AddString(std::string_view key, std::string_view value);
    CJsonObject& AddNumber(std::string_view key, int64_t value);
    CJsonObject& AddBool(std::string_view key, bool value);
    CJsonObject& AddObject(std::string_view key, const CJsonObject& value);
    CJsonObject& AddStrings(std::string_view key, const std::vector<std::string>& values);
    // "{...}"
    std::string Text() const { return "{" + m_members + "}"; }

private:
    CJsonObject& Add(std::string_view key, const std::string& valueText);

    size_t m_nMaxString;
    std::string m_members;
};
