#include "screening/VCard.h"

#include "platform/TextUtil.h"

#include <array>
#include <map>
#include <optional>

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// One parameter value: TYPE=HOME,VOICE gives two, 2.1's bare ";CELL" one
// with an empty name.
struct Param {
    std::string sName; // upper case
    std::string sValue;
};

struct Property {
    std::string sGroup; // "item1" of "item1.TEL", lower case
    std::string sName;  // upper case
    std::vector<Param> params;
    std::string_view value;
};

bool IsEncodingWord(std::string_view s) {
    for (std::string_view w : {"QUOTED-PRINTABLE", "BASE64", "B", "8BIT", "7BIT"})
        if (EqualsNoCase(s, w))
            return true;
    return false;
}

// Splits "[group.]NAME;PARAM=V,V;BARE:value"; false when line is no property.
bool ParseProperty(std::string_view line, Property& p) {
    size_t i = 0;
    while (i < line.size() && line[i] != ';' && line[i] != ':')
        ++i;
    if (i == line.size())
        return false;
    std::string_view full = TrimView(line.substr(0, i));
    size_t dot = full.rfind('.');
    p.sGroup = dot == std::string_view::npos ? std::string() : ToLowerAscii(full.substr(0, dot));
    p.sName = ToUpperAscii(dot == std::string_view::npos ? full : full.substr(dot + 1));
    p.params.clear();
    while (line[i] == ';') {
        ++i;
        size_t start = i;
        while (i < line.size() && line[i] != '=' && line[i] != ';' && line[i] != ':')
            ++i;
        if (i == line.size())
            return false;
        std::string name = ToUpperAscii(TrimView(line.substr(start, i - start)));
        if (line[i] != '=') {
            if (!name.empty())
                p.params.push_back({"", name});
            continue;
        }
        ++i;
        for (;;) {
            if (i < line.size() && line[i] == '"') {
                // TYPE="work,voice": a quoted list is a list all the same.
                size_t close = line.find('"', i + 1);
                if (close == std::string_view::npos)
                    return false;
                for (const std::string& v : SplitKeepEmpty(line.substr(i + 1, close - i - 1), ','))
                    p.params.push_back({name, Trim(v)});
                i = close + 1;
                while (i < line.size() && line[i] != ',' && line[i] != ';' && line[i] != ':')
                    ++i;
            } else {
                size_t s = i;
                while (i < line.size() && line[i] != ',' && line[i] != ';' && line[i] != ':')
                    ++i;
                p.params.push_back({name, Trim(line.substr(s, i - s))});
            }
            if (i == line.size())
                return false;
            if (line[i] != ',')
                break;
            ++i;
        }
    }
    p.value = line.substr(i + 1);
    return true;
}

std::string ParamValue(const Property& p, std::string_view name) {
    for (const Param& q : p.params)
        if (q.sName == name)
            return q.sValue;
    return {};
}

// Whether p says ENCODING=encoding (or 2.1's bare ";encoding").
bool HasEncoding(const Property& p, std::string_view encoding) {
    for (const Param& q : p.params)
        if ((q.sName.empty() || q.sName == "ENCODING") && EqualsNoCase(q.sValue, encoding))
            return true;
    return false;
}

bool IsQuotedPrintable(const Property& p) {
    return HasEncoding(p, "QUOTED-PRINTABLE");
}

std::string DecodeQuotedPrintable(std::string_view v) {
    std::string out;
    out.reserve(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        int hi = -1, lo = -1;
        if (v[i] == '=' && i + 2 < v.size()) {
            hi = HexDigitValue(v[i + 1]);
            lo = HexDigitValue(v[i + 2]);
        }
        if (hi >= 0 && lo >= 0) {
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += v[i];
        }
    }
    return out;
}

// Turns bytes in charset into UTF-8 (not yet checked); false for a charset
// not read here.
bool ConvertToUtf8(std::string_view charset, std::string& bytes) {
    for (std::string_view utf8 : {"", "UTF-8", "UTF8", "US-ASCII", "ASCII"})
        if (EqualsNoCase(charset, utf8))
            return true;
    for (std::string_view latin1 : {"ISO-8859-1", "ISO8859-1", "ISO_8859-1", "LATIN1", "LATIN-1"})
        if (EqualsNoCase(charset, latin1)) {
            std::string out;
            out.reserve(bytes.size() * 2);
            for (char c : bytes) {
                auto u = static_cast<unsigned char>(c);
                if (u < 0x80) {
                    out += c;
                } else {
                    out += static_cast<char>(0xC0 | (u >> 6));
                    out += static_cast<char>(0x80 | (u & 0x3F));
                }
            }
            bytes = std::move(out);
            return true;
        }
    return false;
}

// Control characters have no place in a vCard's text: all but a tab and a
// new line go.
bool IsDroppedControl(char c) {
    return (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') || c == 0x7F;
}

// "\n" a new line, "\\" "\;" "\," "\:" the character; other backslashes stay.
std::string Unescape(std::string_view v) {
    std::string out;
    out.reserve(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        if (IsDroppedControl(v[i]))
            continue;
        if (v[i] == '\\' && i + 1 < v.size()) {
            char c = v[i + 1];
            if (c == 'n' || c == 'N') {
                out += '\n';
                ++i;
                continue;
            }
            if (c == '\\' || c == ';' || c == ',' || c == ':') {
                out += c;
                ++i;
                continue;
            }
        }
        out += v[i];
    }
    return out;
}

// The parts of a structured value (N, ORG) at every ';' not escaped.
std::vector<std::string_view> SplitComponents(std::string_view v) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\\') {
            ++i;
        } else if (v[i] == ';') {
            parts.push_back(v.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(v.substr(start));
    return parts;
}

// A type a number keeps: a short word, not a preference or an extension.
bool UsableType(std::string_view t) {
    if (t.empty() || t.size() > 32 || t == "pref" || t == "internet" || t.substr(0, 2) == "x-")
        return false;
    for (char c : t)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'))
            return false;
    return true;
}

// The most telling of a number's types, "" when none is usable.
std::string ChooseType(const std::vector<std::string>& types) {
    static constexpr std::array<std::string_view, 15> kOrder = {
        "cell",  "fax", "pager", "home", "work",  "main", "textphone", "text",
        "video", "car", "isdn",  "msg",  "modem", "bbs",  "voice"};
    for (std::string_view known : kOrder)
        for (const std::string& t : types)
            if (t == known)
                return t;
    for (const std::string& t : types)
        if (UsableType(t))
            return t;
    return {};
}

// A label of Apple and Google ("_$!<Mobile>!$_", "Work Fax") as a type.
std::string LabelType(std::string_view label) {
    label = TrimView(label);
    if (label.substr(0, 4) == "_$!<" && label.size() >= 8 &&
        label.substr(label.size() - 4) == ">!$_")
        label = label.substr(4, label.size() - 8);
    std::string t = ToLowerAscii(TrimView(label));
    for (char& c : t)
        if (c == ' ')
            c = '-';
    if (t == "mobile")
        t = "cell";
    return UsableType(t) ? t : std::string();
}

// Text from the file shown in a message: printable ASCII, at most 40 bytes.
std::string Shown(std::string_view s) {
    std::string out;
    for (char c : s.substr(0, 40))
        out += (c >= 0x20 && c < 0x7F) ? c : '?';
    return out;
}

struct Card {
    size_t nNumber = 0;    // 1 for the first card of the file
    size_t nFirstLine = 0; // its BEGIN:VCARD
    size_t nStartOffset = 0;
    bool bVersion21 = false;
    bool bInBase64 = false; // the last property was base64
    std::string sFn, sN, sOrg;
    std::vector<std::string> notes;
    struct Tel {
        std::string sGroup, sNumber;
        std::vector<std::string> types;
    };
    std::vector<Tel> tels;
    std::map<std::string, std::string> labels; // by group
    ContactList list = ContactList::None;
    std::string sSkip; // the first reason to leave the card out
};

class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {
        if (m_text.substr(0, kBom.size()) == kBom)
            m_pos = kBom.size();
    }

    ContactsImport Run() {
        ContactsImport out;
        std::optional<Card> card;
        std::string line;
        Property p; // kept from line to line for its buffers
        size_t nCards = 0;
        while (NextLine(line, card && card->bVersion21)) {
            if (card && m_pos - card->nStartOffset > kVCardMaxCardBytes)
                return Fail(StrPrintf("card %zu (from line %zu) is larger than %zu bytes",
                                      card->nNumber, card->nFirstLine, kVCardMaxCardBytes));
            bool parsed = ParseProperty(line, p);
            if (parsed && card && IsQuotedPrintable(p)) {
                // 2.1's soft line breaks: "=" at the end joins the next line.
                size_t folds = 0;
                while (!line.empty() && line.back() == '=' && m_pos < m_text.size()) {
                    line.pop_back();
                    std::string_view next;
                    if (!NextPhysical(next))
                        return Fail(m_sError);
                    line += next;
                    if (++folds > kVCardMaxFolds || line.size() > kVCardMaxCardBytes)
                        return Fail(
                            StrPrintf("line %zu: a quoted-printable value goes on beyond bounds",
                                      m_nPropertyLine));
                }
                ParseProperty(line, p);
            }
            bool isBegin = parsed && p.sName == "BEGIN" && EqualsNoCase(TrimView(p.value), "VCARD");
            bool isEnd = parsed && p.sName == "END" && EqualsNoCase(TrimView(p.value), "VCARD");
            if (!card) {
                if (TrimView(line).empty())
                    continue;
                if (!isBegin)
                    return Fail(StrPrintf(
                        "line %zu is outside any card: not a vCard file (%s)", m_nPropertyLine,
                        isEnd ? "END:VCARD without BEGIN:VCARD" : "no BEGIN:VCARD before it"));
                if (++nCards > kVCardMaxCards)
                    return Fail(StrPrintf("more than %zu cards", kVCardMaxCards));
                card.emplace();
                card->nNumber = nCards;
                card->nFirstLine = m_nPropertyLine;
                card->nStartOffset = m_lineStart;
                continue;
            }
            if (isBegin)
                return Fail(StrPrintf(
                    "card %zu (from line %zu) has no END:VCARD before the next BEGIN:VCARD "
                    "at line %zu",
                    card->nNumber, card->nFirstLine, m_nPropertyLine));
            if (isEnd) {
                Finish(*card, out);
                card.reset();
                continue;
            }
            if (!parsed) {
                // 2.1's base64 (a photo) may go on over lines of its own up
                // to a blank one.
                if (TrimView(line).empty())
                    card->bInBase64 = false;
                else if (!card->bInBase64 && card->sSkip.empty())
                    card->sSkip = StrPrintf("line %zu is not a vCard property", m_nPropertyLine);
                continue;
            }
            card->bInBase64 = HasEncoding(p, "BASE64") || HasEncoding(p, "B");
            if (!Take(p, *card))
                return Fail(m_sError);
        }
        if (!m_sError.empty())
            return Fail(m_sError);
        if (card)
            return Fail(StrPrintf("card %zu (from line %zu) has no END:VCARD", card->nNumber,
                                  card->nFirstLine));
        return out;
    }

private:
    ContactsImport Fail(std::string why) {
        ContactsImport out;
        out.sError = std::move(why);
        return out;
    }

    // The next line without its line end; false at the end or on a line
    // beyond bounds (m_sError then says so).
    bool NextPhysical(std::string_view& line) {
        if (m_pos >= m_text.size())
            return false;
        size_t end = m_text.find('\n', m_pos);
        size_t next = end == std::string_view::npos ? m_text.size() : end + 1;
        if (end == std::string_view::npos)
            end = m_text.size();
        ++m_nLine;
        if (end - m_pos > kVCardMaxCardBytes) {
            m_sError = StrPrintf("line %zu is longer than %zu bytes", m_nLine, kVCardMaxCardBytes);
            return false;
        }
        line = m_text.substr(m_pos, end - m_pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_pos = next;
        return true;
    }

    // The next property's line, its folds joined: a line break before a
    // space or tab goes, with that blank (2.1 keeps the blank).
    bool NextLine(std::string& line, bool keepFoldBlank) {
        m_lineStart = m_pos;
        std::string_view first;
        if (!NextPhysical(first))
            return false;
        line.assign(first);
        m_nPropertyLine = m_nLine;
        size_t folds = 0;
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t')) {
            std::string_view more;
            if (!NextPhysical(more))
                return false;
            line += keepFoldBlank ? more : more.substr(1);
            if (++folds > kVCardMaxFolds) {
                m_sError = StrPrintf("line %zu is folded over more than %zu lines", m_nPropertyLine,
                                     kVCardMaxFolds);
                return false;
            }
            if (line.size() > kVCardMaxCardBytes) {
                m_sError = StrPrintf("line %zu is longer than %zu bytes", m_nPropertyLine,
                                     kVCardMaxCardBytes);
                return false;
            }
        }
        return true;
    }

    // The value of p decoded to UTF-8 text, escapes still in. Nothing for a
    // charset not read here (the card is then skipped) or for text that is
    // not UTF-8 (m_sError set).
    std::optional<std::string> Text(const Property& p, Card& card) {
        std::string v =
            IsQuotedPrintable(p) ? DecodeQuotedPrintable(p.value) : std::string(p.value);
        std::string charset = ParamValue(p, "CHARSET");
        if (!ConvertToUtf8(charset, v)) {
            if (card.sSkip.empty())
                card.sSkip =
                    "charset " + Shown(charset) + " is not read (only UTF-8 and ISO-8859-1)";
            return std::nullopt;
        }
        if (!IsUtf8(v)) {
            m_sError = StrPrintf("line %zu: %s is not UTF-8 text (and says no other CHARSET)",
                                 m_nPropertyLine, Shown(p.sName).c_str());
            return std::nullopt;
        }
        return v;
    }

    // Keeps what the card needs of p; false when the whole file must go.
    bool Take(const Property& p, Card& card) {
        static const std::array<std::string_view, 8> kUsed = {
            "VERSION", "FN", "N", "ORG", "NOTE", "TEL", "X-ABLABEL", "X-VORELLA-LIST"};
        bool used = false;
        for (std::string_view u : kUsed)
            used = used || p.sName == u;
        if (!used)
            return true;
        std::optional<std::string> v = Text(p, card);
        if (!v)
            return m_sError.empty();
        if (p.sName == "VERSION") {
            card.bVersion21 = TrimView(*v) == "2.1";
        } else if (p.sName == "FN") {
            if (card.sFn.empty())
                card.sFn = Trim(Unescape(*v));
        } else if (p.sName == "N") {
            if (card.sN.empty()) {
                std::vector<std::string_view> c = SplitComponents(*v);
                c.resize(5);
                for (size_t i : {3, 1, 2, 0, 4}) {
                    std::string part = Trim(Unescape(c[i]));
                    if (!part.empty())
                        card.sN += (card.sN.empty() ? "" : " ") + part;
                }
            }
        } else if (p.sName == "ORG") {
            if (card.sOrg.empty())
                for (std::string_view c : SplitComponents(*v)) {
                    std::string part = Trim(Unescape(c));
                    if (!part.empty())
                        card.sOrg += (card.sOrg.empty() ? "" : ", ") + part;
                }
        } else if (p.sName == "NOTE") {
            std::string note = Unescape(*v);
            if (!note.empty())
                card.notes.push_back(std::move(note));
        } else if (p.sName == "TEL") {
            TakeTel(p, *v, card);
        } else if (p.sName == "X-ABLABEL") {
            card.labels[p.sGroup] = Unescape(*v);
        } else {
            std::string list = ToLowerAscii(TrimView(*v));
            card.list = list == "permit"  ? ContactList::Permit
                        : list == "block" ? ContactList::Block
                                          : ContactList::None;
        }
        return true;
    }

    static void TakeTel(const Property& p, std::string_view v, Card& card) {
        std::string number = Trim(Unescape(v));
        // A tel: URI (4.0's VALUE=uri, and some 3.0 writers): its number
        // without parameters such as ";ext=".
        while (EqualsNoCase(std::string_view(number).substr(0, 4), "tel:")) {
            std::string_view rest = std::string_view(number).substr(4);
            number = Trim(rest.substr(0, rest.find(';')));
        }
        if (number.empty())
            return;
        Card::Tel tel{p.sGroup, std::move(number), {}};
        for (const Param& q : p.params)
            if (q.sName == "TYPE" || (q.sName.empty() && !IsEncodingWord(q.sValue)))
                tel.types.push_back(ToLowerAscii(q.sValue));
        card.tels.push_back(std::move(tel));
    }

    static void Finish(Card& card, ContactsImport& out) {
        Contact c;
        c.sName = !card.sFn.empty() ? card.sFn : !card.sN.empty() ? card.sN : card.sOrg;
        std::string why =
            card.sSkip.empty() && card.tels.empty() ? "no telephone number" : card.sSkip;
        if (!why.empty()) {
            std::string name = c.sName.empty() ? "no name" : Utf8Truncate(c.sName, 60);
            out.skipped.push_back(
                StrPrintf("skipped: card %zu (%s): %s", card.nNumber, name.c_str(), why.c_str()));
            return;
        }
        for (Card::Tel& tel : card.tels) {
            std::string type = ChooseType(tel.types);
            auto label = card.labels.find(tel.sGroup);
            if (type.empty() && !tel.sGroup.empty() && label != card.labels.end())
                type = LabelType(label->second);
            c.numbers.push_back({std::move(tel.sNumber), std::move(type)});
        }
        for (const std::string& note : card.notes)
            c.sMemo += (c.sMemo.empty() ? "" : "\n") + note;
        c.list = card.list;
        out.contacts.push_back(std::move(c));
    }

    std::string_view m_text;
    size_t m_pos = 0;
    size_t m_lineStart = 0;
    size_t m_nLine = 0;
    size_t m_nPropertyLine = 0; // the first line of the property last read
    std::string m_sError;
};

// A text value with "\\", "\," and "\n" escaped, and "\;" too in a part of
// a structured value (N): 4.0 allows "\;" nowhere else.
std::string EscapeText(std::string_view s, bool component = false) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (IsDroppedControl(c))
            continue;
        if (c == '\\' || c == ',' || (c == ';' && component))
            out += '\\';
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// Whether number can stand in a tel: URI as it is: digits and the visual
// separators, "+" only first.
bool IsTelUriNumber(std::string_view number) {
    bool digit = false;
    for (size_t i = 0; i < number.size(); ++i) {
        char c = number[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (!(c == '-' || c == '.' || c == '(' || c == ')' || c == '*' ||
                   (c == '+' && i == 0)))
            return false;
    }
    return digit;
}

// line and CRLF, folded so that no line is longer than 75 octets and no
// UTF-8 sequence is cut.
void AppendFolded(std::string& out, std::string_view line) {
    size_t room = 75;
    while (line.size() > room) {
        size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        if (cut == 0)
            cut = room;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        room = 74;
    }
    out.append(line);
    out += "\r\n";
}

} // namespace

ContactsImport ReadVCards(std::string_view text) {
    return Reader(text).Run();
}

std::string WriteVCards(const std::vector<Contact>& contacts) {
    std::string out;
    for (const Contact& c : contacts) {
        out += "BEGIN:VCARD\r\nVERSION:4.0\r\n";
        AppendFolded(out, "FN:" + EscapeText(c.sName));
        size_t space = c.sName.rfind(' ');
        std::string family = space == std::string::npos ? c.sName : c.sName.substr(space + 1);
        std::string given = space == std::string::npos ? std::string() : c.sName.substr(0, space);
        AppendFolded(out, "N:" + EscapeText(family, true) + ";" + EscapeText(given, true) + ";;;");
        for (const ContactNumber& n : c.numbers) {
            std::string line = "TEL";
            std::string type = ToLowerAscii(n.sType);
            if (UsableType(type))
                line += ";TYPE=" + type;
            if (IsTelUriNumber(n.sNumber))
                line += ";VALUE=uri:tel:" + n.sNumber;
            else
                line += ";VALUE=text:" + EscapeText(n.sNumber);
            AppendFolded(out, line);
        }
        if (!c.sMemo.empty())
            AppendFolded(out, "NOTE:" + EscapeText(c.sMemo));
        if (c.list != ContactList::None)
            AppendFolded(out, std::string("X-VORELLA-LIST:") +
                                  (c.list == ContactList::Permit ? "permit" : "block"));
        out += "END:VCARD\r\n";
    }
    return out;
}
