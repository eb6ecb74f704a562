#include "screening/Database.h"

#include <sqlite3.h>

#include <chrono>
#include <thread>

namespace {

// How long a writer waits for another process's transaction to end.
constexpr int kBusyTimeoutMs = 10000;
constexpr int kWalRetryMs = 20;

} // namespace

CQuery::~CQuery() {
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

CQuery& CQuery::Bind(int index, int64_t value) {
    if (m_stmt && sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        m_bFailed = true;
    return *this;
}

CQuery& CQuery::Bind(int index, std::string_view value) {
    if (m_stmt && sqlite3_bind_text64(m_stmt, index, value.data(), value.size(), SQLITE_TRANSIENT,
                                      SQLITE_UTF8) != SQLITE_OK)
        m_bFailed = true;
    return *this;
}

CQuery& CQuery::BindId(int index, int64_t id) {
    if (id != 0)
        return Bind(index, id);
    if (m_stmt && sqlite3_bind_null(m_stmt, index) != SQLITE_OK)
        m_bFailed = true;
    return *this;
}

bool CQuery::Next() {
    if (!m_stmt || m_bFailed) {
        m_bFailed = true;
        if (m_db.Error().empty())
            m_db.Fail();
        return false;
    }
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE) {
        m_bFailed = true;
        m_db.Fail();
    }
    return false;
}

bool CQuery::Run() {
    while (Next()) {
    }
    return !m_bFailed;
}

int64_t CQuery::Int(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

std::string CQuery::Text(int column) const {
    const auto* text = sqlite3_column_text(m_stmt, column);
    if (!text)
        return {};
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<size_t>(sqlite3_column_bytes(m_stmt, column)));
}

CDatabase::~CDatabase() {
    Close();
}

bool CDatabase::Open(const std::string& path) {
    Close();
    m_sError.clear();
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        m_sError = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return false;
    }
    m_db = db;
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(m_db, 1);
    // The first reading of the file finds out whether it is a database.
    // Switching a new file to write-ahead logging takes it for a moment; a
    // second process doing the same then is told "locked" at once instead
    // of waiting, so it tries again, for as long as any other wait.
    bool bWal = Exec("PRAGMA journal_mode=WAL");
    for (int waited = 0; !bWal && waited < kBusyTimeoutMs; waited += kWalRetryMs) {
        const int rc = sqlite3_errcode(m_db) & 0xff;
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(kWalRetryMs));
        bWal = Exec("PRAGMA journal_mode=WAL");
    }
    if (!bWal || !Exec("PRAGMA foreign_keys=ON") ||
        !Exec("PRAGMA synchronous=NORMAL")) {
        const std::string why = m_sError;
        Close();
        m_sError = why;
        return false;
    }
    return true;
}

void CDatabase::Close() {
    for (auto& [sql, stmt] : m_statements)
        sqlite3_finalize(stmt);
    m_statements.clear();
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}

CQuery CDatabase::Query(const char* sql) {
    auto it = m_statements.find(sql);
    if (it != m_statements.end())
        return CQuery(*this, it->second);
    sqlite3_stmt* stmt = nullptr;
    if (!m_db) {
        m_sError = "the file is not open";
        return CQuery(*this, nullptr);
    }
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
        Fail();
        sqlite3_finalize(stmt);
        return CQuery(*this, nullptr);
    }
    m_statements.emplace(sql, stmt);
    return CQuery(*this, stmt);
}

bool CDatabase::Exec(const char* sql) {
    if (!m_db) {
        m_sError = "the file is not open";
        return false;
    }
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    m_sError = message ? message : sqlite3_errmsg(m_db);
    sqlite3_free(message);
    return false;
}

bool CDatabase::Begin() {
    return Exec("BEGIN IMMEDIATE");
}

bool CDatabase::Commit() {
    return Exec("COMMIT");
}

void CDatabase::Rollback() {
    if (m_db && !sqlite3_get_autocommit(m_db)) {
        const std::string why = m_sError;
        Exec("ROLLBACK");
        m_sError = why;
    }
}

int64_t CDatabase::LastInsertId() const {
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

int CDatabase::Changes() const {
    return m_db ? sqlite3_changes(m_db) : 0;
}

void CDatabase::Fail() {
    m_sError = m_db ? sqlite3_errmsg(m_db) : "the file is not open";
}
