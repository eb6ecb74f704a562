#include "screening/ContactsImport.h"

#include "platform/TextUtil.h"
#include "screening/ContactsCsv.h"
#include "screening/VCard.h"

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
