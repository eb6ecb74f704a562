#include "screening/ContactStore.h"

#include "screening/PhoneNumbers.h"

namespace {

// Each step brings the file from the layout before it to its own; a step
// runs in one transaction together with its new user_version.
// Layout 1: contacts, their numbers as written, number ranges.
constexpr const char* kLayout1 = R"(
CREATE TABLE contacts(
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    list INTEGER NOT NULL DEFAULT 0,
    greeting TEXT NOT NULL DEFAULT '',
    memo TEXT NOT NULL DEFAULT '');
CREATE TABLE numbers(
    id INTEGER PRIMARY KEY,
    contact_id INTEGER NOT NULL REFERENCES contacts(id) ON DELETE CASCADE,
    number TEXT NOT NULL,
    type TEXT NOT NULL DEFAULT '');
CREATE TABLE prefixes(
    prefix TEXT PRIMARY KEY,
    list INTEGER NOT NULL);
PRAGMA user_version=1;
)";

// Layout 2: numbers in their one form, found by an index (filled in by the
// program after this step); rules for kinds of caller ID; the call history.
constexpr const char* kLayout2 = R"(
ALTER TABLE numbers ADD COLUMN normalised TEXT NOT NULL DEFAULT '';
CREATE INDEX numbers_by_normalised ON numbers(normalised);
CREATE INDEX numbers_by_contact ON numbers(contact_id);
CREATE TABLE class_rules(
    class INTEGER PRIMARY KEY,
    list INTEGER NOT NULL);
CREATE TABLE history(
    id INTEGER PRIMARY KEY,
    time INTEGER NOT NULL,
    line TEXT NOT NULL DEFAULT '',
    name TEXT NOT NULL DEFAULT '',
    number TEXT NOT NULL DEFAULT '',
    normalised TEXT NOT NULL DEFAULT '',
    contact_id INTEGER REFERENCES contacts(id) ON DELETE SET NULL,
    decision INTEGER NOT NULL DEFAULT 0,
    rule TEXT NOT NULL DEFAULT '',
    outcome INTEGER NOT NULL DEFAULT 0,
    recording TEXT NOT NULL DEFAULT '',
    heard INTEGER NOT NULL DEFAULT 0);
CREATE INDEX history_by_time ON history(time, id);
CREATE INDEX history_by_number ON history(normalised, time, id);
PRAGMA user_version=2;
)";

// Layout 3: where a forwarded call went.
constexpr const char* kLayout3 = R"(
ALTER TABLE history ADD COLUMN forwarded_to TEXT NOT NULL DEFAULT '';
PRAGMA user_version=3;
)";

// Layout 4: why a call or its message was not forwarded.
constexpr const char* kLayout4 = R"(
ALTER TABLE history ADD COLUMN forward_problem TEXT NOT NULL DEFAULT '';
PRAGMA user_version=4;
)";

constexpr const char* kLayoutSteps[] = {kLayout1, kLayout2, kLayout3, kLayout4};
static_assert(std::size(kLayoutSteps) == CContactStore::kLayoutVersion);

ContactList ListOf(int64_t value) {
    return value == 1 ? ContactList::Permit : value == 2 ? ContactList::Block : ContactList::None;
}

// A LIKE pattern that finds text anywhere, its own % and _ taken literally.
std::string Containing(const std::string& text) {
    std::string out = "%";
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "%";
}

} // namespace

bool CContactStore::Fail(const char* what, const std::string& why) {
    m_sError = "The contacts file " + m_sPath + " " + what + ": " + why;
    return false;
}

bool CContactStore::Failed(const char* what) {
    return Fail(what, m_db.Error());
}

bool CContactStore::Unwritten() {
    // A reason found on the way (no such contact) stays.
    if (m_sError.empty())
        Failed("could not be written");
    return false;
}

std::string CContactStore::Error() const {
    std::lock_guard lock(m_mutex);
    return m_sError;
}

bool CContactStore::Open(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_db.Close();
    m_sPath = path;
    m_sError.clear();
    if (!m_db.Open(path))
        return Failed("cannot be opened");
    if (!Migrate()) {
        m_db.Close();
        return false;
    }
    return true;
}

void CContactStore::Close() {
    std::lock_guard lock(m_mutex);
    m_db.Close();
}

bool CContactStore::Migrate() {
    // A file of today's layout is read without taking it for writing, so
    // opening it never waits for another process's write.
    {
        CQuery q = m_db.Query("PRAGMA user_version");
        if (q.Next() && q.Int(0) == kLayoutVersion)
            return true;
    }
    for (int step = 1; step <= kLayoutVersion; ++step) {
        // Read inside the transaction: another process may be a step ahead.
        CTransaction t(m_db);
        if (!t.Started())
            return Failed("cannot be opened");
        int64_t version = 0;
        {
            CQuery q = m_db.Query("PRAGMA user_version");
            if (!q.Next())
                return Failed("cannot be opened");
            version = q.Int(0);
        }
        if (version > kLayoutVersion)
            return Fail("cannot be opened",
                        "it was written by a newer version of the program (layout " +
                            std::to_string(version) + ")");
        if (version >= step)
            continue;
        if (!m_db.Exec(kLayoutSteps[step - 1]))
            return Failed("cannot be brought up to date");
        if (step == 2) {
            CQuery numbers = m_db.Query("SELECT id, number FROM numbers");
            while (numbers.Next()) {
                CQuery set = m_db.Query("UPDATE numbers SET normalised = ?1 WHERE id = ?2");
                if (!set.Bind(1, m_numbers.Normalise(numbers.Text(1)))
                         .Bind(2, numbers.Int(0))
                         .Run())
                    return Failed("cannot be brought up to date");
            }
            if (numbers.Failed())
                return Failed("cannot be brought up to date");
        }
        if (!t.Commit())
            return Failed("cannot be brought up to date");
    }
    return true;
}

bool CContactStore::WriteContact(const Contact& contact, int64_t& id) {
    if (id == 0) {
        CQuery q =
            m_db.Query("INSERT INTO contacts(name, list, greeting, memo) VALUES (?1, ?2, ?3, ?4)");
        if (!q.Bind(1, contact.sName)
                 .Bind(2, static_cast<int64_t>(contact.list))
                 .Bind(3, contact.sGreeting)
                 .Bind(4, contact.sMemo)
                 .Run())
            return false;
        id = m_db.LastInsertId();
    } else {
        CQuery q = m_db.Query(
            "UPDATE contacts SET name = ?1, list = ?2, greeting = ?3, memo = ?4 WHERE id = ?5");
        if (!q.Bind(1, contact.sName)
                 .Bind(2, static_cast<int64_t>(contact.list))
                 .Bind(3, contact.sGreeting)
                 .Bind(4, contact.sMemo)
                 .Bind(5, id)
                 .Run())
            return false;
        if (m_db.Changes() == 0)
            return Fail("could not be written", "there is no contact " + std::to_string(id));
        if (!m_db.Query("DELETE FROM numbers WHERE contact_id = ?1").Bind(1, id).Run())
            return false;
    }
    for (const ContactNumber& n : contact.numbers) {
        CQuery q = m_db.Query(
            "INSERT INTO numbers(contact_id, number, normalised, type) VALUES (?1, ?2, ?3, ?4)");
        if (!q.Bind(1, id)
                 .Bind(2, n.sNumber)
                 .Bind(3, m_numbers.Normalise(n.sNumber))
                 .Bind(4, n.sType)
                 .Run())
            return false;
    }
    return true;
}

int64_t CContactStore::AddContact(const Contact& contact) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CTransaction t(m_db);
    int64_t id = 0;
    if (!t.Started() || !WriteContact(contact, id) || !t.Commit())
        return Unwritten(), 0;
    return id;
}

bool CContactStore::ImportContacts(const std::vector<Contact>& contacts) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CTransaction t(m_db);
    if (!t.Started())
        return Failed("could not be written");
    for (const Contact& c : contacts) {
        int64_t id = 0;
        if (!WriteContact(c, id))
            return Unwritten();
    }
    return t.Commit() || Unwritten();
}

bool CContactStore::UpdateContact(const Contact& contact) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    if (contact.nId == 0)
        return Fail("could not be written", "the contact is not stored yet");
    CTransaction t(m_db);
    int64_t id = contact.nId;
    if (!t.Started() || !WriteContact(contact, id) || !t.Commit())
        return Unwritten();
    return true;
}

bool CContactStore::DeleteContact(int64_t id) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CTransaction t(m_db);
    if (!t.Started() || !m_db.Query("DELETE FROM contacts WHERE id = ?1").Bind(1, id).Run() ||
        !t.Commit())
        return Failed("could not be written");
    return true;
}

bool CContactStore::ReadNumbers(Contact& contact) {
    CQuery q = m_db.Query("SELECT number, type FROM numbers WHERE contact_id = ?1 ORDER BY id");
    q.Bind(1, contact.nId);
    while (q.Next())
        contact.numbers.push_back({q.Text(0), q.Text(1)});
    return !q.Failed();
}

std::optional<Contact> CContactStore::GetContact(int64_t id) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    Contact c;
    {
        CQuery q = m_db.Query("SELECT name, list, greeting, memo FROM contacts WHERE id = ?1");
        q.Bind(1, id);
        if (!q.Next()) {
            if (q.Failed())
                Failed("could not be read");
            return std::nullopt;
        }
        c.nId = id;
        c.sName = q.Text(0);
        c.list = ListOf(q.Int(1));
        c.sGreeting = q.Text(2);
        c.sMemo = q.Text(3);
    }
    if (!ReadNumbers(c)) {
        Failed("could not be read");
        return std::nullopt;
    }
    return c;
}

std::vector<Contact> CContactStore::FindContacts(const std::string& text, int limit) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    std::vector<Contact> out;
    const std::string digits = DigitsOf(text);
    {
        CQuery q = m_db.Query(
            "SELECT id, name, list, greeting, memo FROM contacts WHERE name LIKE ?1 ESCAPE '\\' "
            "OR id IN (SELECT contact_id FROM numbers WHERE number LIKE ?1 ESCAPE '\\' "
            "OR (?2 <> '' AND normalised LIKE ?2)) ORDER BY name, id LIMIT ?3");
        q.Bind(1, Containing(text))
            .Bind(2, digits.empty() ? "" : "%" + digits + "%")
            .Bind(3, limit);
        while (q.Next()) {
            Contact c;
            c.nId = q.Int(0);
            c.sName = q.Text(1);
            c.list = ListOf(q.Int(2));
            c.sGreeting = q.Text(3);
            c.sMemo = q.Text(4);
            out.push_back(std::move(c));
        }
        if (q.Failed()) {
            Failed("could not be read");
            return {};
        }
    }
    for (Contact& c : out) {
        if (!ReadNumbers(c)) {
            Failed("could not be read");
            return {};
        }
    }
    return out;
}

std::optional<Contact> CContactStore::ContactForNumber(const std::string& normalised) {
    if (normalised.empty())
        return std::nullopt;
    int64_t id = 0;
    {
        std::lock_guard lock(m_mutex);
        CQuery q = m_db.Query(
            "SELECT contact_id FROM numbers WHERE normalised = ?1 ORDER BY contact_id LIMIT 1");
        q.Bind(1, normalised);
        if (!q.Next()) {
            m_sError.clear();
            if (q.Failed())
                Failed("could not be read");
            return std::nullopt;
        }
        id = q.Int(0);
    }
    return GetContact(id);
}

int64_t CContactStore::ContactCount() {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CQuery q = m_db.Query("SELECT count(*) FROM contacts");
    if (!q.Next())
        return Failed("could not be read"), 0;
    return q.Int(0);
}

bool CContactStore::AddPrefixRule(const std::string& prefix, ContactList list) {
    const std::string normalised = m_numbers.NormalisePrefix(prefix);
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    if (DigitsOf(normalised).empty())
        return Fail("could not be written", "\"" + prefix + "\" is no number range");
    CTransaction t(m_db);
    if (!t.Started() ||
        !m_db.Query("INSERT OR REPLACE INTO prefixes(prefix, list) VALUES (?1, ?2)")
             .Bind(1, normalised)
             .Bind(2, static_cast<int64_t>(list))
             .Run() ||
        !t.Commit())
        return Failed("could not be written");
    return true;
}

bool CContactStore::DeletePrefixRule(const std::string& prefix) {
    const std::string normalised = m_numbers.NormalisePrefix(prefix);
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CTransaction t(m_db);
    if (!t.Started() ||
        !m_db.Query("DELETE FROM prefixes WHERE prefix = ?1").Bind(1, normalised).Run() ||
        !t.Commit())
        return Failed("could not be written");
    return true;
}

std::vector<PrefixRule> CContactStore::PrefixRules() {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    std::vector<PrefixRule> out;
    CQuery q = m_db.Query("SELECT prefix, list FROM prefixes ORDER BY prefix");
    while (q.Next())
        out.push_back({q.Text(0), ListOf(q.Int(1))});
    if (q.Failed())
        Failed("could not be read");
    return out;
}

std::optional<PrefixRule> CContactStore::PrefixRuleFor(const std::string& normalised) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    // Each of the number's starts, longest first, through the index.
    for (size_t n = normalised.size(); n >= 1; --n) {
        const std::string start = normalised.substr(0, n);
        if (start == "+")
            break;
        CQuery q = m_db.Query("SELECT list FROM prefixes WHERE prefix = ?1");
        q.Bind(1, start);
        if (q.Next())
            return PrefixRule{start, ListOf(q.Int(0))};
        if (q.Failed()) {
            Failed("could not be read");
            break;
        }
    }
    return std::nullopt;
}

bool CContactStore::SetClassRule(CallerClass callerClass, ContactList list) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CTransaction t(m_db);
    if (!t.Started() ||
        !m_db.Query("INSERT OR REPLACE INTO class_rules(class, list) VALUES (?1, ?2)")
             .Bind(1, static_cast<int64_t>(callerClass))
             .Bind(2, static_cast<int64_t>(list))
             .Run() ||
        !t.Commit())
        return Failed("could not be written");
    return true;
}

ContactList CContactStore::ClassRule(CallerClass callerClass) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CQuery q = m_db.Query("SELECT list FROM class_rules WHERE class = ?1");
    q.Bind(1, static_cast<int64_t>(callerClass));
    if (q.Next())
        return ListOf(q.Int(0));
    if (q.Failed())
        Failed("could not be read");
    return ContactList::None;
}

bool CContactStore::InsertCall(const HistoryEntry& call) {
    return m_db
        .Query("INSERT INTO history(time, line, name, number, normalised, contact_id, "
               "decision, rule, outcome, recording, heard, forwarded_to, forward_problem) "
               "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)")
        .Bind(1, call.tTime)
        .Bind(2, call.sLine)
        .Bind(3, call.sName)
        .Bind(4, call.sNumber)
        .Bind(5, call.sNormalised)
        .BindId(6, call.nContactId)
        .Bind(7, static_cast<int64_t>(call.decision))
        .Bind(8, call.sRule)
        .Bind(9, static_cast<int64_t>(call.outcome))
        .Bind(10, call.sRecording)
        .Bind(11, int64_t{call.bHeard})
        .Bind(12, call.sForwardedTo)
        .Bind(13, call.sForwardProblem)
        .Run();
}

int64_t CContactStore::AppendCall(const HistoryEntry& call) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CTransaction t(m_db);
    if (!t.Started() || !InsertCall(call))
        return Failed("could not be written"), 0;
    const int64_t id = m_db.LastInsertId();
    if (!t.Commit())
        return Failed("could not be written"), 0;
    return id;
}

bool CContactStore::AppendCalls(const std::vector<HistoryEntry>& calls) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CTransaction t(m_db);
    if (!t.Started())
        return Failed("could not be written");
    for (const HistoryEntry& call : calls)
        if (!InsertCall(call))
            return Failed("could not be written");
    return t.Commit() || Failed("could not be written");
}

int64_t CContactStore::CallCount() {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CQuery q = m_db.Query("SELECT count(*) FROM history");
    if (!q.Next())
        return Failed("could not be read"), -1;
    return q.Int(0);
}

bool CContactStore::SetOutcome(int64_t id, CallOutcome outcome, const std::string& recording) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CTransaction t(m_db);
    if (!t.Started() ||
        !m_db.Query("UPDATE history SET outcome = ?1, recording = ?2 WHERE id = ?3")
             .Bind(1, static_cast<int64_t>(outcome))
             .Bind(2, recording)
             .Bind(3, id)
             .Run() ||
        !t.Commit())
        return Failed("could not be written");
    return true;
}

bool CContactStore::SetForwarding(int64_t id, const std::string& forwardedTo,
                                  const std::string& problem) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CTransaction t(m_db);
    if (!t.Started() ||
        !m_db.Query("UPDATE history SET forwarded_to = ?1, forward_problem = ?2 WHERE id = ?3")
             .Bind(1, forwardedTo)
             .Bind(2, problem)
             .Bind(3, id)
             .Run() ||
        !t.Commit())
        return Failed("could not be written");
    return true;
}

bool CContactStore::MarkHeard(int64_t id, bool heard) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CTransaction t(m_db);
    if (!t.Started() ||
        !m_db.Query("UPDATE history SET heard = ?1 WHERE id = ?2")
             .Bind(1, int64_t{heard})
             .Bind(2, id)
             .Run() ||
        !t.Commit())
        return Failed("could not be written");
    return true;
}

std::optional<int64_t> CContactStore::CallOfRecording(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    const std::string name = "/" + path.substr(path.rfind('/') + 1);
    CQuery q = m_db.Query("SELECT id FROM history WHERE recording = ?1 OR "
                          "substr(recording, -length(?2)) = ?2 "
                          "ORDER BY recording = ?1 DESC, id DESC LIMIT 1");
    q.Bind(1, path).Bind(2, name);
    if (q.Next())
        return q.Int(0);
    if (q.Failed())
        Failed("could not be read");
    return std::nullopt;
}

std::vector<HistoryEntry> CContactStore::ReadCalls(CQuery& q) {
    std::vector<HistoryEntry> out;
    while (q.Next()) {
        HistoryEntry e;
        e.nId = q.Int(0);
        e.tTime = q.Int(1);
        e.sLine = q.Text(2);
        e.sName = q.Text(3);
        e.sNumber = q.Text(4);
        e.sNormalised = q.Text(5);
        e.nContactId = q.Int(6);
        e.decision = static_cast<ScreenAction>(q.Int(7));
        e.sRule = q.Text(8);
        e.outcome = static_cast<CallOutcome>(q.Int(9));
        e.sRecording = q.Text(10);
        e.bHeard = q.Int(11) != 0;
        e.sForwardedTo = q.Text(12);
        e.sForwardProblem = q.Text(13);
        out.push_back(std::move(e));
    }
    if (q.Failed()) {
        Failed("could not be read");
        return {};
    }
    return out;
}

std::vector<HistoryEntry> CContactStore::Calls(HistoryFilter filter, int offset, int limit) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CQuery q = m_db.Query(
        "SELECT id, time, line, name, number, normalised, contact_id, decision, rule, outcome, "
        "recording, heard, forwarded_to, forward_problem FROM history "
        "WHERE ?1 = 0 OR (?1 = 1 AND outcome = 4) OR "
        "(?1 = 2 AND outcome IN (5, 6)) OR (?1 = 3 AND outcome = 2 AND heard = 0) "
        "ORDER BY time DESC, id DESC LIMIT ?2 OFFSET ?3");
    q.Bind(1, static_cast<int64_t>(filter)).Bind(2, limit).Bind(3, offset);
    return ReadCalls(q);
}

std::vector<HistoryEntry> CContactStore::CallsOf(const std::string& normalised, int limit) {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CQuery q = m_db.Query(
        "SELECT id, time, line, name, number, normalised, contact_id, decision, rule, outcome, "
        "recording, heard, forwarded_to, forward_problem FROM history WHERE normalised = ?1 "
        "ORDER BY time DESC, id DESC LIMIT ?2");
    q.Bind(1, normalised).Bind(2, limit);
    return ReadCalls(q);
}

int64_t CContactStore::DataVersion() {
    std::lock_guard lock(m_mutex);
    m_sError.clear();
    CQuery q = m_db.Query("PRAGMA data_version");
    if (!q.Next())
        return Failed("could not be read"), -1;
    return q.Int(0);
}
