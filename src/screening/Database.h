// A small hold on one SQLite database file: its statements are prepared once
// and take their values only through bound parameters, never pasted into
// the SQL; write transactions take the write lock at their start and wait
// for another process's writer rather than fail.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

class CDatabase;

// One run of a prepared statement: bind, step through the rows, read the
// columns. Reset and cleared of its values when it goes.
class CQuery {
public:
    CQuery(CDatabase& db, sqlite3_stmt* stmt) : m_db(db), m_stmt(stmt) {}
    CQuery(const CQuery&) = delete;
    CQuery& operator=(const CQuery&) = delete;
    ~CQuery();

    // Parameters count from 1, as in the SQL's "?1".
    CQuery& Bind(int index, int64_t value);
    CQuery& Bind(int index, std::string_view value);
    // An id, or NULL for 0 (none).
    CQuery& BindId(int index, int64_t id);

    // The next row (true), or the end or a failure (false; Failed() tells).
    bool Next();
    // Runs a statement that returns no rows; false when it failed.
    bool Run();
    bool Failed() const { return m_bFailed; }

    int64_t Int(int column) const;
    std::string Text(int column) const;

private:
    CDatabase& m_db;
    sqlite3_stmt* m_stmt;
    bool m_bFailed = false;
};

class CDatabase {
public:
    CDatabase() = default;
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;
    ~CDatabase();

    // Opens (creating when missing) the file, with write-ahead logging and a
    // wait for other writers. False with Error() set when it cannot be used:
    // no such folder, no right to it, not a database.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }

    // A statement, prepared on first use and kept; sql is a literal of the
    // program (its address is the key). A statement that does not prepare
    // fails its first step.
    CQuery Query(const char* sql);
    // Runs SQL of the program's own (schema changes) that takes no values.
    bool Exec(const char* sql);

    bool Begin(); // a write transaction, locked at once
    bool Commit();
    void Rollback(); // after a failure; quiet

    int64_t LastInsertId() const;
    int Changes() const;
    // The last failure, in SQLite's words ("database is locked").
    const std::string& Error() const { return m_sError; }
    void Fail(); // takes the connection's message as the error

private:
    sqlite3* m_db = nullptr;
    std::map<const char*, sqlite3_stmt*> m_statements;
    std::string m_sError;
};

// A write transaction that rolls back unless committed, so that a failure
// leaves nothing half-written.
class CTransaction {
public:
    explicit CTransaction(CDatabase& db) : m_db(db), m_bOpen(db.Begin()) {}
    CTransaction(const CTransaction&) = delete;
    CTransaction& operator=(const CTransaction&) = delete;
    ~CTransaction() {
        if (m_bOpen)
            m_db.Rollback();
    }
    bool Started() const { return m_bOpen; }
    bool Commit() {
        if (!m_bOpen)
            return false;
        m_bOpen = false;
        if (m_db.Commit())
            return true;
        m_db.Rollback();
        return false;
    }

private:
    CDatabase& m_db;
    bool m_bOpen;
};
