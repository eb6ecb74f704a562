#include "screening/ContactsImport.h"

#include "platform/FileUtil.h"
#include "platform/TextUtil.h"
#include "screening/ContactsCsv.h"
#include "screening/VCard.h"

#include <cerrno>
#include <cstring>

ContactsImport ReadContactsFile(std::string_view text) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    constexpr std::string_view kBegin = "BEGIN:VCARD";
    std::string_view start = text.substr(0, 4096);
    if (start.substr(0, kBom.size()) == kBom)
        start.remove_prefix(kBom.size());
    start = TrimView(start);
    if (EqualsNoCase(start.substr(0, kBegin.size()), kBegin))
        return ReadVCards(text);
    return ReadContactsCsv(text);
}

ContactsImport ReadContactsFromFile(const std::string& path) {
    ContactsImport refused;
    if (const std::string problem = ReadProblem(path); !problem.empty()) {
        refused.sError = path + ": " + problem;
        return refused;
    }
    const std::optional<std::string> text = ReadWholeFile(path, kMaxContactsFileBytes);
    if (!text) {
        refused.sError = path + " is refused: it is larger than " +
                         std::to_string(kMaxContactsFileBytes >> 20) + " MB";
        return refused;
    }
    ContactsImport read = ReadContactsFile(*text);
    if (!read.sError.empty())
        read.sError = path + " is refused: " + read.sError;
    return read;
}

std::string WriteContactsToFile(const std::string& path, const std::vector<Contact>& contacts) {
    const bool csv = path.size() >= 4 && EqualsNoCase(path.substr(path.size() - 4), ".csv");
    if (WriteFileAtomic(path, csv ? WriteContactsCsv(contacts) : WriteVCards(contacts)))
        return "";
    return path + " cannot be written: " + std::strerror(errno);
}
