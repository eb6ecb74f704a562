#include "screening/ContactsCsv.h"

#include "platform/TextUtil.h"

#include <map>
#include <utility>

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The first line of text that is not UTF-8, or 0.
size_t FirstBadLine(std::string_view text) {
    size_t line = 1;
    for (size_t i = 0; i < text.size();) {
        size_t n = Utf8SequenceLength(text, i);
        if (n == 0)
            return line;
        if (text[i] == '\n')
            ++line;
        i += n;
    }
    return 0;
}

// Reads the record at pos into fields and moves pos past it; false for a
// quote never closed.
bool NextRecord(std::string_view text, size_t& pos, std::vector<std::string>& fields) {
    fields.assign(1, std::string());
    while (pos < text.size()) {
        char c = text[pos];
        if (c == '"' && TrimView(fields.back()).empty()) {
            fields.back().clear();
            ++pos;
            for (;;) {
                size_t quote = text.find('"', pos);
                if (quote == std::string_view::npos)
                    return false;
                fields.back().append(text.substr(pos, quote - pos));
                pos = quote + 1;
                if (pos < text.size() && text[pos] == '"') {
                    fields.back() += '"';
                    ++pos;
                    continue;
                }
                break;
            }
        } else if (c == ',') {
            fields.emplace_back();
            ++pos;
        } else if (c == '\n') {
            ++pos;
            break;
        } else if (c == '\r' && (pos + 1 == text.size() || text[pos + 1] == '\n')) {
            ++pos;
        } else {
            fields.back() += c;
            ++pos;
        }
    }
    return true;
}

bool ParseList(std::string_view word, ContactList& list) {
    std::string w = ToLowerAscii(TrimView(word));
    if (w.empty() || w == "none")
        list = ContactList::None;
    else if (w == "permit")
        list = ContactList::Permit;
    else if (w == "block")
        list = ContactList::Block;
    else
        return false;
    return true;
}

std::string Field(std::string_view s) {
    if (s.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(s);
    std::string out = "\"";
    for (char c : s) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

} // namespace

ContactsImport ReadContactsCsv(std::string_view text) {
    ContactsImport out;
    if (text.substr(0, kBom.size()) == kBom)
        text.remove_prefix(kBom.size());
    if (size_t bad = FirstBadLine(text)) {
        out.sError = StrPrintf("line %zu is not UTF-8 text", bad);
        return out;
    }
    std::map<std::string, size_t> byName;
    std::vector<bool> listGiven;
    std::vector<std::string> fields;
    size_t pos = 0;
    size_t row = 0;
    bool firstRow = true;
    while (pos < text.size()) {
        ++row;
        if (row > kCsvMaxRows || !NextRecord(text, pos, fields)) {
            ContactsImport refused;
            refused.sError = row > kCsvMaxRows
                                 ? StrPrintf("more than %zu rows", kCsvMaxRows)
                                 : StrPrintf("row %zu: a quoted field is never closed", row);
            return refused;
        }
        if (fields.size() == 1 && TrimView(fields[0]).empty())
            continue;
        bool first = std::exchange(firstRow, false);
        if (first && EqualsNoCase(TrimView(fields[0]), "number") &&
            (fields.size() < 2 || EqualsNoCase(TrimView(fields[1]), "name")))
            continue; // the header
        if (fields.size() > 3) {
            out.skipped.push_back(StrPrintf("skipped: row %zu: %zu fields, not number,name,list",
                                            row, fields.size()));
            continue;
        }
        fields.resize(3);
        std::string number = Trim(fields[0]);
        std::string name = Trim(fields[1]);
        ContactList list = ContactList::None;
        if (number.empty()) {
            out.skipped.push_back(StrPrintf("skipped: row %zu: no number", row));
            continue;
        }
        if (!ParseList(fields[2], list)) {
            out.skipped.push_back(
                StrPrintf("skipped: row %zu: list \"%s\" is not none, permit or block", row,
                          Utf8Truncate(Trim(fields[2]), 40).c_str()));
            continue;
        }
        bool hasList = !TrimView(fields[2]).empty();
        auto found = name.empty() ? byName.end() : byName.find(name);
        if (found == byName.end()) {
            Contact c;
            c.sName = name;
            c.list = list;
            c.numbers.push_back({number, ""});
            if (!name.empty())
                byName.emplace(name, out.contacts.size());
            out.contacts.push_back(std::move(c));
            listGiven.push_back(hasList);
            continue;
        }
        Contact& c = out.contacts[found->second];
        if (hasList && listGiven[found->second] && list != c.list) {
            out.skipped.push_back(
                StrPrintf("skipped: row %zu: list %s, but an earlier row of %s says %s", row,
                          ListWord(list), Utf8Truncate(name, 60).c_str(), ListWord(c.list)));
            continue;
        }
        if (hasList) {
            c.list = list;
            listGiven[found->second] = true;
        }
        bool known = false;
        for (const ContactNumber& n : c.numbers)
            known = known || n.sNumber == number;
        if (!known)
            c.numbers.push_back({number, ""});
    }
    return out;
}

std::string WriteContactsCsv(const std::vector<Contact>& contacts) {
    std::string out = "number,name,list\r\n";
    for (const Contact& c : contacts)
        for (const ContactNumber& n : c.numbers)
            out += Field(n.sNumber) + "," + Field(c.sName) + "," + ListWord(c.list) + "\r\n";
    return out;
}
