// Private-profile (INI) files: "[Section]" headers and "key=value" lines.
//
// The rules are those of the classic profile calls the program was designed
// around: section and key names match case-insensitively, blanks around names
// and values are trimmed, a value in matching double quotes loses them on
// reading, lines starting with ";" are comments and the first of duplicate keys
// wins. Integers are an optional sign and leading decimal digits.
//
// A ProfileFile reads the whole file once and keeps every line, so that a
// write replaces a value in place and leaves comments and unknown keys alone.
// Writes collect in memory; Save() replaces the file atomically (a temporary
// file renamed over the old one), so a batch of writes is one replace and a
// crash never leaves half a file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ProfileFile {
public:
    // Longest string a read returns, as the 4096-byte buffer of the classic call.
    static constexpr size_t kMaxString = 4095;
    // A file larger than this is not a settings file: its defaults apply.
    static constexpr size_t kMaxFileSize = 16 * 1024 * 1024;

    ProfileFile() = default;
    explicit ProfileFile(std::string path);

    // A profile held only in memory, read from `content` as from a file;
    // it has no path, so Save() fails.
    static ProfileFile FromText(const std::string& content);

    // Reads the file again (a missing, empty, binary or huge file reads as empty).
    void Reload();

    // The text Save() writes.
    std::string Text() const;

    const std::string& Path() const { return m_sPath; }
    bool Exists() const { return m_bExisted; }
    bool IsDirty() const { return m_bDirty; }

    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view def) const;
    int GetInt(std::string_view section, std::string_view key, int def) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInt(std::string_view section, std::string_view key, int value);

    // Section names in file order, and the keys of one section in file order.
    std::vector<std::string> Sections() const;
    std::vector<std::string> Keys(std::string_view section) const;

    // When set, Save() gives the file mode 0600 (it holds a password).
    void SetPrivate(bool bPrivate) { m_bPrivate = bPrivate; }

    // Writes the file if anything changed (or always, with bForce). Returns
    // false when the file could not be replaced; the old file is then intact,
    // and SaveError() says why ("No space left on device").
    bool Save(bool bForce = false);
    // Why the last Save() failed; "" after one that worked.
    const std::string& SaveError() const { return m_sSaveError; }

    // The integer rule on its own: optional blanks, sign and leading digits;
    // no digits gives 0. Out-of-range values saturate.
    static int ParseInt(std::string_view text);

    // A value as it must stand in the file to read back unchanged: reading
    // trims blanks and strips one pair of surrounding double quotes, so a
    // value that would lose either is written inside double quotes.
    static std::string QuoteValue(std::string_view value);

private:
    struct Line {
        std::string text;    // the line as it stands in the file (no line end)
        std::string section; // lower-case name of the section it belongs to
        std::string key;     // lower-case key, empty when not a key line
        bool bHeader = false; // a "[Section]" line
        bool bBlank = false;  // nothing but blanks
    };

    void Parse(const std::string& content);
    void Reindex();
    std::optional<size_t> FindSection(const std::string& lowSection) const;

    std::string m_sPath;
    std::vector<Line> m_lines;
    // "section\nkey" -> index of the first line holding that key
    std::unordered_map<std::string, size_t> m_keyIndex;
    bool m_bExisted = false;
    bool m_bDirty = false;
    bool m_bPrivate = false;
    std::string m_sSaveError;
};

// Convenience wrappers with the shape of the classic calls: each reads the
// file afresh; a write is a complete atomic replace of the file.
int GetProfileIntFrom(const std::string& path, std::string_view section, std::string_view key,
                      int def);
std::string GetProfileStringFrom(const std::string& path, std::string_view section,
                                 std::string_view key, std::string_view def);
bool WriteProfileStringTo(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view value);
bool WriteProfileIntTo(const std::string& path, std::string_view section, std::string_view key,
                       int value);
