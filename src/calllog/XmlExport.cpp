#include "calllog/XmlExport.h"

#include "calllog/CallTime.h"
#include "calllog/LegacyText.h"
#include "platform/FileUtil.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int kStrHeader = 167;
constexpr int kStrFooter = 168;
constexpr char kStylesheet[] = "inbox.xsl";

// Length of the UTF-8 sequence at s[i] when it is well-formed and a
// character XML allows, else 0: the two non-characters U+FFFE and U+FFFF
// are refused too.
size_t XmlSequenceLength(std::string_view s, size_t i) {
    const size_t len = Utf8SequenceLength(s, i);
    if (len == 3 && static_cast<unsigned char>(s[i]) == 0xEF &&
        static_cast<unsigned char>(s[i + 1]) == 0xBF &&
        (static_cast<unsigned char>(s[i + 2]) & 0xFE) == 0xBE)
        return 0;
    return len;
}

// The row's length column: "mm:ss" or "hh:mm:ss".
void SplitLength(const std::string& text, int& hours, int& minutes, int& seconds) {
    hours = minutes = 0;
    seconds = text.size() >= 2 ? ProfileFile::ParseInt(text.substr(text.size() - 2)) : 0;
    if (text.size() == 5) {
        minutes = ProfileFile::ParseInt(text.substr(0, 2));
    } else if (text.size() == 8) {
        minutes = ProfileFile::ParseInt(text.substr(3, 2));
        hours = ProfileFile::ParseInt(text.substr(0, 2));
    }
}

std::tm TimeFromKey(const std::string& key) {
    auto part = [&](size_t pos, size_t len) {
        return pos < key.size() ? ProfileFile::ParseInt(key.substr(pos, len)) : 0;
    };
    std::tm t{};
    t.tm_year = part(0, 4) - 1900;
    t.tm_mon = part(4, 2) - 1;
    t.tm_mday = part(6, 2);
    t.tm_hour = part(8, 2);
    t.tm_min = part(10, 2);
    t.tm_sec = part(12, 2);
    return t;
}

} // namespace

std::string XmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t len = XmlSequenceLength(text, i);
        if (len == 0 || (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) {
            out += "\xEF\xBF\xBD";
            i += len == 0 ? 1 : len;
            continue;
        }
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        // A carriage return would be folded into the line feed by any
        // reader; as a reference it survives.
        case '\r':
            out += "&#13;";
            break;
        default:
            out.append(text.substr(i, len));
        }
        i += len;
    }
    return out;
}

std::string BuildCallListXml(const std::vector<CallListRow>& rows, const std::tm& today) {
    CallTimeLocale loc;
    std::string minKey = "99999999999999";
    std::string maxKey;
    std::string startDate, endDate;
    long long totalSeconds = 0;
    std::string calls;
    for (const CallListRow& row : rows) {
        std::tm t = TimeFromKey(row.sKey);
        std::string date = loc.FormatDate(t);
        std::string time = loc.FormatTime(t);
        int h, m, s;
        SplitLength(row.sLength, h, m, s);
        totalSeconds += h * 3600LL + m * 60LL + s;
        if (row.sKey < minKey) {
            minKey = row.sKey;
            startDate = date;
        }
        if (row.sKey > maxKey) {
            maxKey = row.sKey;
            endDate = date;
        }
        // A call of an hour or more shows all its minutes ("60:10"), the
        // shape the total has; readers of "mm:ss" still read it.
        calls += "<call>\n\t<date>" + XmlEscape(date) + "</date>\n\t<time>" + XmlEscape(time) +
                 "</time>\n\t<name>" + XmlEscape(row.sName) + "</name>\n\t<number>" +
                 XmlEscape(row.sNumber) + "</number>\n\t<location></location>\n\t<length>" +
                 StrPrintf("%02d:%02d", h * 60 + m, s) + "</length>\n\t<memo>" +
                 XmlEscape(row.sMemo) + "</memo>\n</call>\n";
    }
    std::string out = StrPrintf(LoadStr(kStrHeader), kStylesheet);
    out += "<calls>\n";
    out += "<report>\n\t<username></username>\n\t<userphone></userphone>\n\t<currentdate>" +
           XmlEscape(loc.FormatDate(today)) + "</currentdate>\n\t<startdate>" +
           XmlEscape(startDate) + "</startdate>\n\t<enddate>" + XmlEscape(endDate) +
           "</enddate>\n\t<totalcallen>" +
           StrPrintf("%.2lld:%.2lld", totalSeconds / 60, totalSeconds % 60) +
           "</totalcallen>\n</report>\n";
    out += calls;
    out += LoadStr(kStrFooter);
    return out;
}

bool ExportCallListXml(const std::vector<CallListRow>& rows, const std::string& sPath,
                       std::string* sError) {
    // A file the user made read-only stays as it is.
    if (FileExists(sPath) && ::access(sPath.c_str(), W_OK) != 0) {
        if (sError)
            *sError = sPath + ": " + std::strerror(errno);
        return false;
    }
    std::time_t now = std::time(nullptr);
    std::tm today{};
    ::localtime_r(&now, &today);
    if (!WriteFileAtomic(sPath, BuildCallListXml(rows, today))) {
        if (sError)
            *sError = sPath + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string PrepareCallListXmlPath() {
    const std::string folder = GetProgramFolder() + "xml/";
    MakeDirectories(folder + "styles");
    const std::string style = folder + "styles/" + kStylesheet;
    if (!FileExists(style))
        CopyFileTo(GetProgramFolder() + "styles/" + kStylesheet, style);
    return folder + "Call List.xml";
}
