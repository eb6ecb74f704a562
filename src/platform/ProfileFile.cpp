#include "platform/ProfileFile.h"

#include "platform/FileUtil.h"
#include "platform/TextUtil.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsBlank(std::string_view s) {
    return TrimView(s).empty();
}

std::string MapKey(const std::string& lowSection, const std::string& lowKey) {
    std::string k = lowSection;
    k += '\n';
    k += lowKey;
    return k;
}

} // namespace

ProfileFile::ProfileFile(std::string path) : m_sPath(std::move(path)) {
    Reload();
}

void ProfileFile::Reload() {
    m_lines.clear();
    m_keyIndex.clear();
    m_bDirty = false;
    auto content = ReadWholeFile(m_sPath, kMaxFileSize);
    m_bExisted = content.has_value();
    // A file with NUL bytes is no text file: treat it as empty rather than
    // guess at its keys. It is only replaced when somebody saves.
    if (content && content->find('\0') == std::string::npos)
        Parse(*content);
}

ProfileFile ProfileFile::FromText(const std::string& content) {
    ProfileFile f;
    if (content.size() <= kMaxFileSize && content.find('\0') == std::string::npos)
        f.Parse(content);
    return f;
}

std::string ProfileFile::Text() const {
    std::string content;
    for (const Line& l : m_lines) {
        content += l.text;
        content += '\n';
    }
    return content;
}

void ProfileFile::Parse(const std::string& content) {
    std::string section;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        if (end == std::string::npos)
            end = content.size();
        std::string text = content.substr(pos, end - pos);
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        pos = end + 1;

        Line line{std::move(text), {}, {}};
        std::string_view t = TrimView(line.text);
        line.bBlank = IsBlank(t);
        line.bHeader = !t.empty() && t.front() == '[';
        if (line.bHeader) {
            size_t close = t.find(']');
            section = ToLowerAscii(
                TrimView(t.substr(1, close == std::string_view::npos ? t.npos : close - 1)));
            line.section = section;
        } else {
            line.section = section;
            size_t eq = t.find('=');
            if (!t.empty() && t.front() != ';' && eq != std::string_view::npos)
                line.key = ToLowerAscii(TrimView(t.substr(0, eq)));
        }
        m_lines.push_back(std::move(line));
    }
    Reindex();
}

void ProfileFile::Reindex() {
    m_keyIndex.clear();
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (!m_lines[i].key.empty())
            m_keyIndex.emplace(MapKey(m_lines[i].section, m_lines[i].key), i);
}

std::optional<size_t> ProfileFile::FindSection(const std::string& lowSection) const {
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].bHeader && m_lines[i].section == lowSection)
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> ProfileFile::Find(std::string_view section, std::string_view key) const {
    auto it = m_keyIndex.find(MapKey(ToLowerAscii(TrimView(section)), ToLowerAscii(TrimView(key))));
    if (it == m_keyIndex.end())
        return std::nullopt;
    std::string_view t = m_lines[it->second].text;
    std::string_view value = TrimView(t.substr(t.find('=') + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return Utf8Truncate(std::string(value), kMaxString);
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view def) const {
    if (auto v = Find(section, key))
        return *v;
    return Utf8Truncate(std::string(def), kMaxString);
}

int ProfileFile::ParseInt(std::string_view text) {
    std::string_view t = TrimView(text);
    size_t i = 0;
    bool neg = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        neg = t[i] == '-';
        ++i;
    }
    long long v = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
        v = v * 10 + (t[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            v = static_cast<long long>(INT_MAX) + 1;
    }
    if (neg)
        v = -v;
    if (v > INT_MAX)
        v = INT_MAX;
    return static_cast<int>(v);
}

int ProfileFile::GetInt(std::string_view section, std::string_view key, int def) const {
    auto v = Find(section, key);
    return v ? ParseInt(*v) : def;
}

void ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
    // A line end inside a value would split it into lines of its own.
    std::string val(value);
    for (char& c : val)
        if (c == '\r' || c == '\n')
            c = ' ';
    val = QuoteValue(val);
    const std::string lowSection = ToLowerAscii(TrimView(section));
    const std::string lowKey = ToLowerAscii(TrimView(key));

    auto it = m_keyIndex.find(MapKey(lowSection, lowKey));
    if (it != m_keyIndex.end()) {
        Line& line = m_lines[it->second];
        std::string_view t = line.text;
        size_t eq = t.find('=');
        std::string text = std::string(TrimView(t.substr(0, eq))) + "=" + val;
        if (text != line.text) {
            line.text = std::move(text);
            m_bDirty = true;
        }
        return;
    }

    Line newLine{std::string(TrimView(key)) + "=" + val, lowSection, lowKey};
    size_t at = m_lines.size(); // where the new line goes
    auto header = FindSection(lowSection);
    if (!header) {
        std::string headerText = "[";
        headerText.append(TrimView(section));
        headerText += ']';
        m_lines.push_back(Line{std::move(headerText), lowSection, {}, true});
        at = m_lines.size();
        m_lines.push_back(std::move(newLine));
    } else {
        // After the last non-blank line of the section, so that the blank line
        // people keep between sections stays between them.
        size_t last = *header;
        for (size_t i = *header + 1; i < m_lines.size() && !m_lines[i].bHeader; ++i) {
            if (!m_lines[i].bBlank)
                last = i;
        }
        at = last + 1;
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(newLine));
    }
    m_bDirty = true;
    // The lines after it moved down by one; rebuilding the whole index for
    // each new key would make writing a fresh file quadratic.
    for (auto& entry : m_keyIndex)
        if (entry.second >= at)
            ++entry.second;
    m_keyIndex.emplace(MapKey(lowSection, lowKey), at);
}

std::string ProfileFile::QuoteValue(std::string_view value) {
    const bool bQuoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    if (!bQuoted && TrimView(value).size() == value.size())
        return std::string(value);
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '"';
    quoted += value;
    quoted += '"';
    return quoted;
}

void ProfileFile::WriteInt(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

std::vector<std::string> ProfileFile::Sections() const {
    std::vector<std::string> out;
    for (const Line& l : m_lines) {
        std::string_view t = TrimView(l.text);
        if (!t.empty() && t.front() == '[') {
            size_t close = t.find(']');
            out.emplace_back(
                TrimView(t.substr(1, close == std::string_view::npos ? t.npos : close - 1)));
        }
    }
    return out;
}

std::vector<std::string> ProfileFile::Keys(std::string_view section) const {
    std::vector<std::string> out;
    const std::string low = ToLowerAscii(TrimView(section));
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Line& l = m_lines[i];
        if (l.key.empty() || l.section != low)
            continue;
        auto it = m_keyIndex.find(MapKey(l.section, l.key));
        if (it != m_keyIndex.end() && it->second == i) {
            std::string_view t = l.text;
            out.emplace_back(TrimView(t.substr(0, t.find('='))));
        }
    }
    return out;
}

bool ProfileFile::Save(bool bForce) {
    if (!m_bDirty && !bForce) {
        // Nothing to write, but a file that should be private still becomes so.
        if (m_bPrivate && m_bExisted)
            ::chmod(m_sPath.c_str(), 0600);
        return true;
    }
    m_sSaveError.clear();
    if (m_sPath.empty()) {
        m_sSaveError = "it is held in memory only";
        return false;
    }
    if (!WriteFileAtomic(m_sPath, Text(), m_bPrivate ? 0600 : -1)) {
        m_sSaveError = std::strerror(errno);
        return false;
    }
    m_bDirty = false;
    m_bExisted = true;
    return true;
}

int GetProfileIntFrom(const std::string& path, std::string_view section, std::string_view key,
                      int def) {
    return ProfileFile(path).GetInt(section, key, def);
}

std::string GetProfileStringFrom(const std::string& path, std::string_view section,
                                 std::string_view key, std::string_view def) {
    return ProfileFile(path).GetString(section, key, def);
}

bool WriteProfileStringTo(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view value) {
    ProfileFile f(path);
    f.WriteString(section, key, value);
    return f.Save();
}

bool WriteProfileIntTo(const std::string& path, std::string_view section, std::string_view key,
                       int value) {
    return WriteProfileStringTo(path, section, key, std::to_string(value));
}
