// The contacts files: vCard as phones, Google and Thunderbird write it,
// hostile vCard refused whole, vCard 4.0 and CSV written and read back.
#include "screening/VCard.h"
#include "screening/ContactsCsv.h"

#include "platform/TextUtil.h"

#include <belcard/belcard.hpp>
#include <belcard/belcard_parser.hpp>
#include <gtest/gtest.h>

#include <random>

namespace {

// A contact a file must give.
struct Expected {
    Expected(std::string name, std::vector<ContactNumber> nums, std::string memo = "",
             ContactList onList = ContactList::None)
        : sName(std::move(name)), numbers(std::move(nums)), sMemo(std::move(memo)), list(onList) {}
    std::string sName;
    std::vector<ContactNumber> numbers;
    std::string sMemo;
    ContactList list;
};

std::string Shown(const std::vector<Contact>& contacts) {
    std::string s;
    for (const Contact& c : contacts) {
        s += "[" + c.sName + "|" + c.sMemo + "|" + std::to_string(static_cast<int>(c.list));
        for (const ContactNumber& n : c.numbers)
            s += "|" + n.sNumber + "/" + n.sType;
        s += "]";
    }
    return s;
}

std::vector<Contact> ToContacts(const std::vector<Expected>& expected) {
    std::vector<Contact> out;
    for (const Expected& e : expected)
        out.push_back({0, e.sName, e.numbers, e.list, "", e.sMemo});
    return out;
}

struct Shape {
    const char* sName;
    std::string sText;
    std::vector<Expected> contacts;
    std::vector<std::string> skipped;
};

const Shape kVCardShapes[] = {
    {"Android21QuotedPrintableUtf8",
     "BEGIN:VCARD\r\nVERSION:2.1\r\n"
     "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=4D=C3=BC=6C=6C=65=72;J=C3=BC=72=67=65=6E;;;\r\n"
     "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BC=72=67=65=6E=20=4D=C3=BC=6C=6C=65=72=20="
     "\r\n"
     "=28Werkstatt=29\r\n"
     "TEL;CELL;VOICE:+49 171 2345678\r\n"
     "TEL;HOME:030 123456\r\n"
     "NOTE;ENCODING=QUOTED-PRINTABLE:Zeile 1=0D=0AZeile 2\r\n"
     "PHOTO;ENCODING=BASE64;JPEG:/9j/4AAQSkZJRgABAQ\r\nAAAQABAAD/2wBDAAgGBgcGBQgH\r\n\r\n"
     "END:VCARD\r\n",
     {{"Jürgen Müller (Werkstatt)",
       {{"+49 171 2345678", "cell"}, {"030 123456", "home"}},
       "Zeile 1\nZeile 2"}},
     {}},
    {"Old21Latin1",
     "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:B=E4cker;Ren=E9\n"
     "TEL;WORK;FAX:0049-89-555\nEND:VCARD\n"
     "BEGIN:VCARD\nVERSION:2.1\nFN;CHARSET=ISO-8859-1:Fran\xE7oise\nTEL:5\nEND:VCARD\n",
     {{"René Bäcker", {{"0049-89-555", "fax"}}}, {"Françoise", {{"5", ""}}}},
     {}},
    {"Google30GroupsAndEscapes",
     "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Berg\\, Anna\r\nN:Berg;Anna;;;\r\n"
     "TEL;TYPE=CELL:+1 555 0100\r\n"
     "item1.TEL:+1 555 0101\r\nitem1.X-ABLabel:Boat\r\n"
     "item2.TEL;type=pref:+1 555 0102\r\nitem2.X-ABLabel:_$!<Mobile>!$_\r\n"
     "TEL;TYPE=HOME,VOICE:+1 555 0103\r\n"
     "NOTE:met at the fair\\; call\\nafter 6\r\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ\r\n "
     "SkZJRg==\r\n"
     "END:VCARD\r\n",
     {{"Berg, Anna",
       {{"+1 555 0100", "cell"},
        {"+1 555 0101", "boat"},
        {"+1 555 0102", "cell"},
        {"+1 555 0103", "home"}},
       "met at the fair; call\nafter 6"}},
     {}},
    {"Thunderbird40UriFoldedLf",
     "BEGIN:VCARD\nVERSION:4.0\nfn:Klaus \n\tvon "
     "Stein\nTEL;VALUE=uri;TYPE=\"work,voice\":tel:+49-30-1234;ext=5\n"
     "tel;value=TEXT;type=cell:0170 99\nEND:VCARD\n",
     {{"Klaus von Stein", {{"+49-30-1234", "work"}, {"0170 99", "cell"}}}},
     {}},
    {"NameFromNThenOrg",
     "BEGIN:VCARD\nVERSION:3.0\nN:Stein;Eva;Maria;Dr.;\nTEL:1\nEND:VCARD\n"
     "BEGIN:VCARD\nVERSION:3.0\nORG:Stadtwerke;Störung\nTEL:2\nEND:VCARD\n",
     {{"Dr. Eva Maria Stein", {{"1", ""}}}, {"Stadtwerke, Störung", {{"2", ""}}}},
     {}},
    {"SkippedCardsSayWhy",
     "\xEF\xBB\xBF"
     "BEGIN:VCARD\nVERSION:3.0\nFN:No Phone\nEMAIL:a@b.example\nEND:VCARD\n\n"
     "BEGIN:VCARD\nVERSION:2.1\nFN;CHARSET=SHIFT_JIS:x\nTEL:3\nEND:VCARD\n"
     "BEGIN:VCARD\nVERSION:3.0\nFN:Kept\nTEL:4\nEND:VCARD\n",
     {{"Kept", {{"4", ""}}}},
     {"skipped: card 1 (No Phone): no telephone number",
      "skipped: card 2 (no name): charset SHIFT_JIS is not read (only UTF-8 and ISO-8859-1)"}},
};

void PrintTo(const Shape& shape, std::ostream* os) {
    *os << shape.sName;
}

class VCardShapes : public testing::TestWithParam<Shape> {};

TEST_P(VCardShapes, GiveEveryNumberOfEveryCard) {
    ContactsImport got = ReadVCards(GetParam().sText);
    EXPECT_EQ(got.sError, "");
    EXPECT_EQ(Shown(got.contacts), Shown(ToContacts(GetParam().contacts)));
    EXPECT_EQ(got.skipped, GetParam().skipped);
}

INSTANTIATE_TEST_SUITE_P(Files, VCardShapes, testing::ValuesIn(kVCardShapes),
                         [](const auto& info) { return std::string(info.param.sName); });

struct Hostile {
    const char* sName;
    std::string (*make)();
    const char* sMessage;
};

std::string Repeat(std::string_view s, size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    for (size_t i = 0; i < n; ++i)
        out += s;
    return out;
}

const std::string kGoodCard = "BEGIN:VCARD\nVERSION:3.0\nFN:Good\nTEL:1\nEND:VCARD\n";

const Hostile kHostile[] = {
    {"FiftyMegabyteLine",
     [] { return kGoodCard + "BEGIN:VCARD\nNOTE:" + std::string(50 << 20, 'x'); },
     "line 7 is longer than 1048576 bytes"},
    {"CardBeyondBound",
     [] {
         return kGoodCard + "BEGIN:VCARD\n" + Repeat("NOTE:" + std::string(1000, 'x') + "\n", 1100);
     },
     "card 2 (from line 6) is larger than 1048576 bytes"},
    {"InvalidUtf8", [] { return kGoodCard + "BEGIN:VCARD\nFN:Bad\n \xC3\x28\nTEL:2\nEND:VCARD\n"; },
     "line 7: FN is not UTF-8 text (and says no other CHARSET)"},
    {"DeepFolding",
     [] { return kGoodCard + "BEGIN:VCARD\nNOTE:x\n" + Repeat(" y\n", 20001) + "END:VCARD\n"; },
     "line 7 is folded over more than 20000 lines"},
    {"BeginWithoutEnd", [] { return kGoodCard + "BEGIN:VCARD\nFN:Open\nTEL:3\n"; },
     "card 2 (from line 6) has no END:VCARD"},
    {"BeginInsideCard", [] { return "BEGIN:VCARD\nFN:A\n" + kGoodCard; },
     "card 1 (from line 1) has no END:VCARD before the next BEGIN:VCARD at line 3"},
    {"TooManyCards", [] { return Repeat("BEGIN:VCARD\nTEL:1\nEND:VCARD\n", 100001); },
     "more than 100000 cards"},
    {"NotAVCard", [] { return std::string("number,name\n+4930,Anna\n"); },
     "line 1 is outside any card: not a vCard file (no BEGIN:VCARD before it)"},
};

void PrintTo(const Hostile& hostile, std::ostream* os) {
    *os << hostile.sName;
}

class HostileVCard : public testing::TestWithParam<Hostile> {};

TEST_P(HostileVCard, IsRefusedWholeWithItsReason) {
    ContactsImport got = ReadVCards(GetParam().make());
    EXPECT_EQ(got.sError, GetParam().sMessage);
    EXPECT_TRUE(got.contacts.empty());
    EXPECT_TRUE(got.skipped.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, HostileVCard, testing::ValuesIn(kHostile),
                         [](const auto& info) { return std::string(info.param.sName); });

// Seeded contacts with what a writer must take care of: non-ASCII names
// long enough to fold, numbers that are no tel: URI, escapes in the memo.
std::vector<Contact> GeneratedContacts(size_t count) {
    std::mt19937 rng(27);
    const std::vector<std::string> words = {"Anna",    "Müller",     "Łukasz", "山田",
                                            "O'Brien", "Berg;Söhne", "a,b",    "back\\slash",
                                            "Ölçü",    "🙂"};
    const std::vector<std::string> types = {"", "cell", "home", "work", "fax", "boat"};
    std::vector<Contact> out;
    for (size_t i = 0; i < count; ++i) {
        Contact c;
        for (int w = 0, n = 1 + static_cast<int>(rng() % 12); w < n; ++w)
            c.sName += (w ? " " : "") + words[rng() % words.size()];
        for (int k = 0, n = 1 + static_cast<int>(rng() % 3); k < n; ++k) {
            std::string number = (rng() % 2 ? "+49 " : "0") + std::to_string(rng() % 100000000);
            if (rng() % 3 == 0)
                number = "+1-555-" + std::to_string(rng() % 10000) + (rng() % 2 ? "#12" : "");
            c.numbers.push_back({number, types[rng() % types.size()]});
        }
        if (rng() % 2)
            c.sMemo = "line one\nline two; with, commas \\n\t" + words[rng() % words.size()];
        c.list = static_cast<ContactList>(rng() % 3);
        out.push_back(std::move(c));
    }
    return out;
}

TEST(VCardWriter, WritesFoldedCrlfLinesThatReadBackTheSame) {
    std::vector<Contact> contacts = GeneratedContacts(10000);
    std::string text = WriteVCards(contacts);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos);
        std::string_view line(text.data() + pos, end - pos);
        ASSERT_LE(line.size(), 75u) << line;
        ASSERT_TRUE(IsUtf8(line)) << line;
        ASSERT_EQ(line.find('\n'), std::string_view::npos) << line;
        pos = end + 2;
    }
    ContactsImport back = ReadVCards(text);
    EXPECT_EQ(back.sError, "");
    EXPECT_TRUE(back.skipped.empty());
    EXPECT_EQ(Shown(back.contacts), Shown(contacts));

    // A second reader, which knows 4.0 only and refuses what breaks its
    // grammar, finds every card and every number (of a hundred: it is slow).
    contacts.resize(100);
    std::shared_ptr<belcard::BelCardList> cards =
        belcard::BelCardParser::getInstance()->parse(WriteVCards(contacts));
    ASSERT_TRUE(cards);
    ASSERT_EQ(cards->getCards().size(), contacts.size());
    size_t i = 0;
    for (const auto& card : cards->getCards())
        EXPECT_EQ(card->getPhoneNumbers().size(), contacts[i++].numbers.size());
}

const Shape kCsvShapes[] = {
    {"QuotingHeaderAndMerging",
     "Number,Name,List\r\n"
     "\"+49 30 1234\",\"Berg, Anna\",permit\r\n"
     "0171 55,\"Berg, Anna\",\r\n"
     "\"0800 1\",\"The \"\"Best\"\" Offer\nLtd\",BLOCK\r\n"
     "\r\n"
     "112\n",
     {{"Berg, Anna", {{"+49 30 1234", ""}, {"0171 55", ""}}, "", ContactList::Permit},
      {"The \"Best\" Offer\nLtd", {{"0800 1", ""}}, "", ContactList::Block},
      {"", {{"112", ""}}}},
     {}},
    {"BadRowsSkipped",
     "1,A,maybe\n,B,block\n2,C,block,extra\n3,D,block\n4,D,permit\n5,D\n",
     {{"D", {{"3", ""}, {"5", ""}}, "", ContactList::Block}},
     {"skipped: row 1: list \"maybe\" is not none, permit or block", "skipped: row 2: no number",
      "skipped: row 3: 4 fields, not number,name,list",
      "skipped: row 5: list permit, but an earlier row of D says block"}},
};

class CsvShapes : public testing::TestWithParam<Shape> {};

TEST_P(CsvShapes, GiveAContactPerName) {
    ContactsImport got = ReadContactsCsv(GetParam().sText);
    EXPECT_EQ(got.sError, "");
    EXPECT_EQ(Shown(got.contacts), Shown(ToContacts(GetParam().contacts)));
    EXPECT_EQ(got.skipped, GetParam().skipped);
    // What was read is written and read back unchanged.
    EXPECT_EQ(Shown(ReadContactsCsv(WriteContactsCsv(got.contacts)).contacts), Shown(got.contacts));
}

INSTANTIATE_TEST_SUITE_P(Files, CsvShapes, testing::ValuesIn(kCsvShapes),
                         [](const auto& info) { return std::string(info.param.sName); });

TEST(ContactsCsv, RefusesBrokenFilesWhole) {
    for (auto [text, message] : {std::pair<std::string, std::string>{
                                     "1,A\n2,\"B\n3,C\n", "row 2: a quoted field is never closed"},
                                 {"1,A\n2,B\xFF\n", "line 2 is not UTF-8 text"}}) {
        ContactsImport got = ReadContactsCsv(text);
        EXPECT_EQ(got.sError, message);
        EXPECT_TRUE(got.contacts.empty());
    }
}

} // namespace
