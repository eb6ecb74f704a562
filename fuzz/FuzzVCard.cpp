// The contacts readers take whatever file the user picks. What the vCard
// reader gives must survive being written as vCard and read again unchanged,
// and the same holds for CSV.
#include "screening/ContactsCsv.h"
#include "screening/VCard.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
bool Same(const std::vector<Contact>& a, const std::vector<Contact>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].sName != b[i].sName || a[i].sMemo != b[i].sMemo || a[i].list != b[i].list ||
            a[i].numbers.size() != b[i].numbers.size())
            return false;
        for (size_t k = 0; k < a[i].numbers.size(); ++k)
            if (a[i].numbers[k].sNumber != b[i].numbers[k].sNumber ||
                a[i].numbers[k].sType != b[i].numbers[k].sType)
                return false;
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ContactsImport cards = ReadVCards(text);
    if (!cards.sError.empty() && !cards.contacts.empty())
        std::abort(); // a refused file gives nothing
    ContactsImport again = ReadVCards(WriteVCards(cards.contacts));
    if (!again.sError.empty() || !again.skipped.empty() || !Same(again.contacts, cards.contacts))
        std::abort(); // what was read must read back the same
    ContactsImport rows = ReadContactsCsv(text);
    if (!rows.sError.empty() && !rows.contacts.empty())
        std::abort();
    ContactsImport rowsAgain = ReadContactsCsv(WriteContactsCsv(rows.contacts));
    if (!rowsAgain.sError.empty() || !rowsAgain.skipped.empty() ||
        !Same(rowsAgain.contacts, rows.contacts))
        std::abort();
    return 0;
}
