// The contacts file: numbers found whatever way they are written, number
// ranges, the history, older layouts brought up to date, damaged files, and
// two processes writing at once.
#include "screening/ContactStore.h"
#include "TempHome.h"
#include "screening/PhoneNumbers.h"
#include "screening/Screening.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs SQL on the file with SQLite alone, as an older program would have.
void RawSql(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << error;
    sqlite3_free(error);
    sqlite3_close(db);
}

int64_t UserVersion(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &stmt, nullptr);
    const int64_t v = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return v;
}

Contact Person(const std::string& name, std::vector<std::string> numbers,
               ContactList list = ContactList::None) {
    Contact c;
    c.sName = name;
    c.list = list;
    for (const std::string& n : numbers)
        c.numbers.push_back({n, "home"});
    return c;
}

// A user in Berlin (area code 030).
struct ContactStoreTest : ::testing::Test {
    TempHome home;
    CPhoneNumbers numbers{"DE", "030"};
    CContactStore store{numbers};
    std::string path = home.File("minidb.dat");

    void SetUp() override { ASSERT_TRUE(store.Open(path)) << store.Error(); }

    int64_t ContactOf(const std::string& sent) {
        ScreeningCall call{sent, CallerClass::Number, 0, false};
        const ScreeningFacts f = LookUpCaller(store, numbers, call);
        return f.contact ? f.contact->nId : 0;
    }
};

TEST_F(ContactStoreTest, OneNumberWrittenAnyWayFindsItsContact) {
    const int64_t anna = store.AddContact(Person("Anna", {"+49 30 1234567"}));
    const int64_t odd = store.AddContact(Person("Odd", {"+999 1234"})); // no such country
    ASSERT_NE(anna, 0) << store.Error();
    const struct {
        const char* sent;
        int64_t want;
    } rows[] = {
        {"030 1234567", anna},       // national, with the trunk prefix
        {"+49 30 1234567", anna},    // international
        {"0049 30 1234567", anna},   // international with the exit code
        {"(030) 123-45-67", anna},   // punctuation
        {"+49 (0)30 1234567", anna}, // the trunk prefix kept in brackets
        {"1234567", anna},           // local, without the area code
        {"040 1234567", 0},          // the same digits in Hamburg
        {"+999-1234", odd},          // unreadable: matched by its digits
        {"999 1234", 0},             // a national number, not the literal one
        {"Anonymous", 0},
        {"", 0},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ContactOf(r.sent), r.want) << r.sent;
}

TEST_F(ContactStoreTest, TheLongestNumberRangeHoldingTheNumberDecides) {
    for (const auto& [prefix, list] : {std::pair{"0900", ContactList::Block},
                                       {"+44", ContactList::Permit},
                                       {"0044 20", ContactList::Block},
                                       {"0180", ContactList::Block}})
        ASSERT_TRUE(store.AddPrefixRule(prefix, list)) << store.Error();
    EXPECT_FALSE(store.AddPrefixRule("premium", ContactList::Block));
    EXPECT_NE(store.Error().find("\"premium\" is no number range"), std::string::npos);
    EXPECT_TRUE(store.DeletePrefixRule("+49 180"));

    const struct {
        const char* sent;
        const char* prefix; // "" none
        ContactList list;
    } rows[] = {
        {"0900 1234567", "+49900", ContactList::Block},
        {"+44 161 496 0000", "+44", ContactList::Permit},
        {"+44 20 7946 0000", "+4420", ContactList::Block},
        {"0180 1234567", "", ContactList::None}, // its rule was deleted
        {"030 9001234", "", ContactList::None},
    };
    for (const auto& r : rows) {
        const auto rule = store.PrefixRuleFor(numbers.Normalise(r.sent));
        EXPECT_EQ(rule ? rule->sPrefix : "", r.prefix) << r.sent;
        EXPECT_EQ(rule ? rule->list : ContactList::None, r.list) << r.sent;
    }
    EXPECT_EQ(store.PrefixRules().size(), 3u);
}

TEST_F(ContactStoreTest, ContactsAreChangedFoundAndDeleted) {
    Contact bob = Person("Bob Builder", {"0301111111", "0170 2222222"}, ContactList::Permit);
    bob.nId = store.AddContact(bob);
    bob.sMemo = "plumber";
    bob.numbers = {{"0303333333", "work"}};
    ASSERT_TRUE(store.UpdateContact(bob)) << store.Error();
    EXPECT_EQ(ContactOf("0301111111"), 0); // its old number went with the change
    EXPECT_EQ(ContactOf("030 3333333"), bob.nId);
    const auto found = store.FindContacts("builder");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].sMemo, "plumber");
    EXPECT_EQ(found[0].numbers.size(), 1u);
    EXPECT_EQ(store.FindContacts("333").size(), 1u);
    EXPECT_TRUE(store.FindContacts("100%").empty()); // % taken literally

    Contact ghost = Person("Ghost", {});
    ghost.nId = 999;
    EXPECT_FALSE(store.UpdateContact(ghost));
    EXPECT_NE(store.Error().find("there is no contact 999"), std::string::npos);

    ASSERT_TRUE(store.DeleteContact(bob.nId));
    EXPECT_EQ(ContactOf("030 3333333"), 0);
    EXPECT_EQ(store.ContactCount(), 0);
}

TEST_F(ContactStoreTest, TheHistoryListsCallsNewestFirstByKind) {
    const int64_t anna = store.AddContact(Person("Anna", {"0301234567"}));
    const struct {
        int64_t t;
        CallOutcome outcome;
    } calls[] = {{100, CallOutcome::Missed},
                 {200, CallOutcome::Blocked},
                 {300, CallOutcome::Message},
                 {400, CallOutcome::Missed},
                 {500, CallOutcome::ChallengeFailed}};
    std::vector<int64_t> ids;
    for (const auto& c : calls) {
        HistoryEntry e;
        e.tTime = c.t;
        e.sNumber = "030 1234567";
        e.sNormalised = numbers.Normalise(e.sNumber);
        e.nContactId = anna;
        e.outcome = c.outcome;
        ids.push_back(store.AppendCall(e));
    }
    ASSERT_TRUE(store.SetOutcome(ids[2], CallOutcome::Message, "rec2026-12-08, 10_00_00.wav"));
    ASSERT_TRUE(store.MarkHeard(ids[2], true));

    auto times = [](const std::vector<HistoryEntry>& v) {
        std::vector<int64_t> t;
        for (const HistoryEntry& e : v)
            t.push_back(e.tTime);
        return t;
    };
    EXPECT_EQ(times(store.Calls(HistoryFilter::All, 0, 2)), (std::vector<int64_t>{500, 400}));
    EXPECT_EQ(times(store.Calls(HistoryFilter::All, 2, 2)), (std::vector<int64_t>{300, 200}));
    EXPECT_EQ(times(store.Calls(HistoryFilter::Missed, 0, 10)), (std::vector<int64_t>{400, 100}));
    EXPECT_EQ(times(store.Calls(HistoryFilter::Blocked, 0, 10)), (std::vector<int64_t>{500, 200}));
    EXPECT_TRUE(store.Calls(HistoryFilter::UnheardMessages, 0, 10).empty());
    ASSERT_TRUE(store.MarkHeard(ids[2], false));
    EXPECT_EQ(times(store.Calls(HistoryFilter::UnheardMessages, 0, 10)),
              (std::vector<int64_t>{300}));
    ASSERT_TRUE(store.MarkHeard(ids[2], true));
    const auto mine = store.CallsOf(numbers.Normalise("+49301234567"), 10);
    ASSERT_EQ(mine.size(), 5u);
    EXPECT_EQ(mine[2].sRecording, "rec2026-12-08, 10_00_00.wav");
    EXPECT_TRUE(mine[2].bHeard);
    // A message is found by its recording's path, or by its name once moved.
    ASSERT_TRUE(store.SetOutcome(ids[3], CallOutcome::Message, "/calls/b.wav"));
    const std::pair<const char*, std::optional<int64_t>> kRecordings[] = {
        {"/calls/b.wav", ids[3]}, {"/calls/Kept/b.wav", ids[3]},
        {"/calls/ab.wav", std::nullopt}, {"rec2026-12-08, 10_00_00.wav", ids[2]}};
    for (const auto& [path, id] : kRecordings)
        EXPECT_EQ(store.CallOfRecording(path), id) << path;
    // The calls stay when their contact goes.
    ASSERT_TRUE(store.DeleteContact(anna));
    EXPECT_EQ(store.CallsOf(mine[0].sNormalised, 10).front().nContactId, 0);
}

// Layout 1 had the numbers only as written; opening it finds them in their
// one form and the history is there to use.
TEST(ContactStoreFile, OlderLayoutsAreBroughtUpToDateInPlace) {
    TempHome home;
    CPhoneNumbers numbers("DE", "030");
    const std::string empty = home.File("empty.dat");
    home.Write("empty.dat", "");
    const std::string old = home.File("layout1.dat");
    RawSql(old, R"(
        CREATE TABLE contacts(id INTEGER PRIMARY KEY, name TEXT NOT NULL,
            list INTEGER NOT NULL DEFAULT 0, greeting TEXT NOT NULL DEFAULT '',
            memo TEXT NOT NULL DEFAULT '');
        CREATE TABLE numbers(id INTEGER PRIMARY KEY,
            contact_id INTEGER NOT NULL REFERENCES contacts(id) ON DELETE CASCADE,
            number TEXT NOT NULL, type TEXT NOT NULL DEFAULT '');
        CREATE TABLE prefixes(prefix TEXT PRIMARY KEY, list INTEGER NOT NULL);
        INSERT INTO contacts(id, name, list) VALUES (7, 'Carla', 2);
        INSERT INTO numbers(contact_id, number, type) VALUES (7, '(030) 555 0123', 'cell');
        INSERT INTO prefixes VALUES ('+49900', 2);
        PRAGMA user_version=1;)");

    for (const std::string& path : {empty, old}) {
        CContactStore store(numbers);
        ASSERT_TRUE(store.Open(path)) << store.Error();
        EXPECT_EQ(UserVersion(path), CContactStore::kLayoutVersion) << path;
        EXPECT_NE(store.AppendCall(HistoryEntry{}), 0) << store.Error();
    }
    CContactStore store(numbers);
    ASSERT_TRUE(store.Open(old));
    const auto carla = store.ContactForNumber(numbers.Normalise("+49 30 5550123"));
    ASSERT_TRUE(carla);
    EXPECT_EQ(carla->sName, "Carla");
    EXPECT_EQ(carla->list, ContactList::Block);
    EXPECT_EQ(carla->numbers.at(0).sType, "cell");
    EXPECT_TRUE(store.PrefixRuleFor("+499001234"));
}

// A file that cannot be used is refused with its name and the reason, and
// stays as it was.
TEST(ContactStoreFile, AFileThatCannotBeUsedIsRefusedAndLeftAlone) {
    TempHome home;
    CPhoneNumbers numbers("DE", "");
    const std::string garbage(4096, 'x');
    home.Write("damaged.dat", "SQLite format 3" + garbage);
    home.Write("newer.dat", "");
    RawSql(home.File("newer.dat"), "PRAGMA user_version=99");
    home.Write("folder", "a file, not a folder");
    const struct {
        std::string path;
        const char* why;
    } rows[] = {
        {home.File("damaged.dat"), "not a database"},
        {home.File("newer.dat"), "newer version of the program (layout 99)"},
        {home.File("folder/minidb.dat"), "unable to open"},
    };
    for (const auto& r : rows) {
        CContactStore store(numbers);
        EXPECT_FALSE(store.Open(r.path)) << r.path;
        EXPECT_NE(store.Error().find("The contacts file " + r.path + " cannot be opened: "),
                  std::string::npos)
            << store.Error();
        EXPECT_NE(store.Error().find(r.why), std::string::npos) << store.Error();
        EXPECT_EQ(store.AddContact(Person("Nobody", {"1"})), 0);
        EXPECT_FALSE(store.Error().empty());
    }
    EXPECT_EQ(home.Read("damaged.dat"), "SQLite format 3" + garbage);
    EXPECT_EQ(UserVersion(home.File("newer.dat")), 99);

    // Damaged inside: what cannot be read is said so, and nothing crashes.
    const std::string inside = home.File("inside.dat");
    {
        CContactStore store(numbers);
        ASSERT_TRUE(store.Open(inside));
        for (int i = 0; i < 300; ++i)
            store.AddContact(
                Person("Somebody " + std::to_string(i), {"030 55" + std::to_string(i)}));
    }
    std::string bytes = home.Read("inside.dat");
    ASSERT_GT(bytes.size(), 3 * 4096u);
    bytes.replace(4096, 2 * 4096, 2 * 4096, '\x5a');
    home.Write("inside.dat", bytes);
    CContactStore store(numbers);
    ASSERT_TRUE(store.Open(inside)) << store.Error(); // its first page is whole
    EXPECT_FALSE(store.ContactForNumber(numbers.Normalise("030 5599")));
    EXPECT_NE(store.Error().find("could not be read: database disk image is malformed"),
              std::string::npos)
        << store.Error();
}

// The desktop program and vorella-tool adding contacts at the same moment.
TEST(ContactStoreFile, TwoProcessesWritingAtOnceLoseNothing) {
    TempHome home;
    CPhoneNumbers numbers("DE", "");
    const std::string path = home.File("minidb.dat");
    constexpr int kEach = 150;
    auto addMany = [&](const std::string& who) {
        CContactStore store(numbers);
        if (!store.Open(path))
            return false;
        for (int i = 0; i < kEach; ++i) {
            if (store.AddContact(Person(who + std::to_string(i), {"030 " + std::to_string(i)})) ==
                0)
                return false;
        }
        return true;
    };
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0)
        ::_exit(addMany("child") ? 0 : 1);
    EXPECT_TRUE(addMany("parent"));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    CContactStore store(numbers);
    ASSERT_TRUE(store.Open(path));
    EXPECT_EQ(store.ContactCount(), 2 * kEach);
    EXPECT_EQ(store.FindContacts("child").size(), size_t{kEach});
}

} // namespace
