#include "calllog/DataStructure.h"

#include "calllog/IndexFile.h"

#include "platform/FileUtil.h"
#include "platform/ProfileFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

bool CDataStructure::operator==(const CDataStructure& o) const {
    return m_sFile == o.m_sFile && m_sTime == o.m_sTime && m_sDate == o.m_sDate &&
           m_sNumber == o.m_sNumber && m_sName == o.m_sName && m_sMemo == o.m_sMemo &&
           m_sExtra == o.m_sExtra && m_nLength == o.m_nLength && m_nReserved1 == o.m_nReserved1 &&
           m_nReserved2 == o.m_nReserved2 && m_bMessage == o.m_bMessage && m_bFlagA == o.m_bFlagA &&
           m_bFlagB == o.m_bFlagB && m_sPath == o.m_sPath;
}

namespace {

constexpr int kFieldCount = 11;

bool IsTrimChar(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The plain quoted form carries any text but two: a double quote toggles the
// quoting on reading (the field loses it and may split at a comma behind it,
// shifting every later field), and a backslash before "r", "n" or "x" is
// read as the start of an escape. Only those are written as \xHH, so that
// every other field reads the same in earlier versions, which show \xHH as
// it stands. Blanks at either end are not kept: reading trims them, as it
// always has. Earlier writes also escaped blanks and other whitespace at the
// ends of a field; reading still decodes every one of them.
constexpr char kHexDigits[] = "0123456789abcdef";

bool IsFieldEscape(std::string_view s, size_t i, char* decoded) {
    if (i + 3 >= s.size() || s[i] != '\\' || s[i + 1] != 'x')
        return false;
    static constexpr struct {
        const char* code;
        char c;
    } kCodes[] = {{"22", '"'},  {"5c", '\\'}, {"20", ' '},  {"09", '\t'},
                  {"0d", '\r'}, {"0a", '\n'}, {"0b", '\v'}, {"0c", '\f'}};
    for (const auto& e : kCodes)
        if (s[i + 2] == e.code[0] && s[i + 3] == e.code[1]) {
            if (decoded)
                *decoded = e.c;
            return true;
        }
    return false;
}

void AppendHex(std::string& out, char c) {
    unsigned char u = static_cast<unsigned char>(c);
    out += "\\x";
    out += kHexDigits[u >> 4];
    out += kHexDigits[u & 15];
}

bool StartsEscape(std::string_view s, size_t i) {
    return s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 'r' || s[i + 1] == 'n' || s[i + 1] == 'x');
}

std::string EscapeField(std::string_view s) {
    bool plain = s.find('"') == std::string_view::npos;
    for (size_t i = 0; plain && i < s.size(); ++i)
        plain = !StartsEscape(s, i);
    if (plain)
        return std::string(s);
    std::string out;
    out.reserve(s.size() + 16);
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"' || StartsEscape(s, i))
            AppendHex(out, s[i]);
        else
            out += s[i];
    }
    return out;
}

std::string UnescapeField(std::string_view s) {
    if (s.find("\\x") == std::string_view::npos)
        return std::string(s);
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char c;
        if (IsFieldEscape(s, i, &c)) {
            out += c;
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Carriage returns and line feeds become \r and \n over the whole line.
void AppendLineEscaped(std::string& out, std::string_view s) {
    for (char c : s) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
}

void AppendQuoted(std::string& out, std::string_view field, bool first) {
    if (!first)
        out += ',';
    out += '"';
    AppendLineEscaped(out, EscapeField(field));
    out += '"';
}

void AppendQuotedNumber(std::string& out, int32_t n) {
    out += ",\"";
    out += std::to_string(n);
    out += '"';
}

// Every "\r" becomes a carriage return, then every "\n" a line feed.
std::string DecodeLineEscapes(std::string_view line) {
    if (line.find('\\') == std::string_view::npos)
        return std::string(line);
    std::string pass;
    pass.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == 'r') {
            pass += '\r';
            ++i;
        } else {
            pass += line[i];
        }
    }
    std::string out;
    out.reserve(pass.size());
    for (size_t i = 0; i < pass.size(); ++i) {
        if (pass[i] == '\\' && i + 1 < pass.size() && pass[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += pass[i];
        }
    }
    return out;
}

} // namespace

std::string_view TrimIndexField(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsTrimChar(s[b]))
        ++b;
    while (e > b && IsTrimChar(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string FormatIndexLine(const CDataStructure& rec) {
    std::string out;
    out.reserve(64 + rec.m_sFile.size() + rec.m_sName.size() + rec.m_sMemo.size());
    AppendQuoted(out, rec.m_sFile, true);
    AppendQuoted(out, rec.m_sTime, false);
    AppendQuoted(out, rec.m_sDate, false);
    AppendQuoted(out, rec.m_sNumber, false);
    AppendQuoted(out, rec.m_sName, false);
    AppendQuoted(out, rec.m_sMemo, false);
    AppendQuoted(out, rec.m_sExtra, false);
    AppendQuotedNumber(out, rec.m_nLength);
    AppendQuotedNumber(out, rec.m_nReserved1);
    AppendQuotedNumber(out, rec.m_nReserved2);
    AppendQuotedNumber(out, rec.m_bMessage);
    return out;
}

CDataStructure ParseIndexLine(std::string_view line) {
    const std::string text = DecodeLineEscapes(line);
    std::string fields[kFieldCount];
    int count = 0;
    size_t cursor = 0;
    const size_t n = text.size();
    std::string field;
    while (count < kFieldCount && cursor < n) {
        field.clear();
        bool inQuotes = false;
        while (cursor < n) {
            char c = text[cursor++];
            if (c == '"') {
                // A quote as the very last character closes nothing.
                if (cursor < n)
                    inQuotes = !inQuotes;
                continue;
            }
            if (!inQuotes && (c == ',' || c == '='))
                break;
            field += c;
        }
        fields[count++] = UnescapeField(TrimIndexField(field));
    }
    CDataStructure rec;
    rec.m_sFile = std::move(fields[0]);
    rec.m_sTime = std::move(fields[1]);
    rec.m_sDate = std::move(fields[2]);
    rec.m_sNumber = std::move(fields[3]);
    rec.m_sName = std::move(fields[4]);
    rec.m_sMemo = std::move(fields[5]);
    rec.m_sExtra = std::move(fields[6]);
    rec.m_nLength = ProfileFile::ParseInt(fields[7]);
    rec.m_nReserved1 = ProfileFile::ParseInt(fields[8]);
    rec.m_nReserved2 = ProfileFile::ParseInt(fields[9]);
    rec.m_bMessage = ProfileFile::ParseInt(fields[10]);
    return rec;
}

std::string UnreadableIndexText(const std::string& sPath) {
    return sPath + ": cannot be read as a call index (unreadable, not a file, or larger than "
                   "512 MB)";
}

int CDataStructureArray::Load(const std::string& sPath) {
    m_data.clear();
    m_sFileName = sPath;
    m_bLoadFailed = false;
    m_sLastError.clear();
    struct stat st {};
    if (::stat(sPath.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            m_bLoadFailed = true;
            m_sLastError = sPath + ": " + std::strerror(errno);
        }
        return 0;
    }
    auto content = ReadWholeFile(sPath, kMaxIndexSize);
    if (!content) {
        m_bLoadFailed = true;
        m_sLastError = UnreadableIndexText(sPath);
        return 0;
    }
    std::string_view all(*content);
    size_t lines = 0;
    for (char c : all)
        lines += c == '\n';
    m_data.reserve(lines + 1);
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find('\n', pos);
        if (end == std::string_view::npos) {
            end = all.size();
            // A line an append did not finish: not a record (IndexFile.h).
            if (IsTornIndexTail(all.substr(pos)))
                break;
        }
        m_data.push_back(ParseIndexLine(all.substr(pos, end - pos)));
        pos = end + 1;
    }
    return GetSize();
}

bool CDataStructureArray::Save(const std::string& sPath) {
    const std::string& path = sPath.empty() ? m_sFileName : sPath;
    m_sLastError.clear();
    if (path.empty()) {
        m_sLastError = "no index file name";
        return false;
    }
    std::string out;
    size_t guess = 0;
    for (const CDataStructure& r : m_data)
        guess += 64 + r.m_sFile.size() + r.m_sName.size() + r.m_sMemo.size() + r.m_sNumber.size();
    out.reserve(guess);
    for (const CDataStructure& r : m_data) {
        out += FormatIndexLine(r);
        // Lines end in CR LF, as the index has always been written.
        out += "\r\n";
    }
    if (!WriteFileAtomic(path, out)) {
        m_sLastError = path + ": cannot be written (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
}

int CDataStructureArray::Find(std::string_view sFile) const {
    for (size_t i = 0; i < m_data.size(); ++i)
        if (m_data[i].m_sFile == sFile)
            return static_cast<int>(i);
    return -1;
}

bool CDataStructureArray::Remove(std::string_view sFile) {
    int i = Find(sFile);
    if (i < 0)
        return false;
    m_data.erase(m_data.begin() + i);
    return true;
}

CDataStructure CDataStructureArray::Get(std::string_view sFile) const {
    int i = Find(sFile);
    return i < 0 ? CDataStructure() : m_data[static_cast<size_t>(i)];
}

void CDataStructureArray::Set(std::string_view sFile, const CDataStructure& rec) {
    int i = Find(sFile);
    if (i < 0)
        Add(rec);
    else
        m_data[static_cast<size_t>(i)] = rec;
}

void CDataStructureArray::Add(const CDataStructure& rec) {
    if (m_data.size() == m_data.capacity()) {
        size_t grow = m_nGrowBy > 0
                          ? static_cast<size_t>(m_nGrowBy)
                          : std::min<size_t>(1024, std::max<size_t>(4, m_data.size() / 8));
        m_data.reserve(m_data.size() + grow);
    }
    m_data.push_back(rec);
}
