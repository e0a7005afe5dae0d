#include "SqliteConnection.h"

#include "PelmoMessages.h"

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {
constexpr int kBusyTimeoutMs = 5000;
constexpr int kBusyRetries = 12; // on top of the timeout: about a minute of waiting in all

std::atomic<long long> g_opens{0};

bool IsBusy(int rc) {
    int primary = rc & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}
} // namespace

SqliteConnection::~SqliteConnection() {
    for (auto& [sql, stmt] : m_statements)
        sqlite3_finalize(stmt);
    if (m_db) {
        if (m_depth > 0)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
    }
}

std::shared_ptr<SqliteConnection> SqliteConnection::Open(const std::string& dbFile, bool create,
                                                         std::string& err) {
    std::shared_ptr<SqliteConnection> conn(new SqliteConnection);
    conn->m_path = dbFile;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    ++g_opens;
    int rc = sqlite3_open_v2(dbFile.c_str(), &conn->m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        err = PelmoMessages::CannotOpen(
            dbFile, rc, conn->m_db ? sqlite3_errmsg(conn->m_db) : sqlite3_errstr(rc));
        return nullptr;
    }
    sqlite3_extended_result_codes(conn->m_db, 1);
    sqlite3_busy_timeout(conn->m_db, kBusyTimeoutMs);
    // The first statement reads the file: a foreign or damaged file fails here. The journal
    // mode is stored in the file, so only a file not yet in WAL is switched (that takes a lock).
    std::string mode;
    rc = conn->QueryText("PRAGMA journal_mode", mode);
    if (rc == SQLITE_OK && mode != "wal") {
        mode.clear();
        rc = conn->QueryText("PRAGMA journal_mode=WAL", mode);
    }
    if (rc != SQLITE_OK) {
        err = PelmoMessages::CannotOpen(dbFile, rc, mode);
        return nullptr;
    }
    // Settings of this connection only: no file access.
    for (const char* pragma : {"PRAGMA synchronous=NORMAL", "PRAGMA cache_size=-32768"}) {
        std::string text;
        rc = conn->Exec(pragma, text);
        if (rc != SQLITE_OK) {
            err = PelmoMessages::CannotOpen(dbFile, rc, text);
            return nullptr;
        }
    }
    return conn;
}

long long SqliteConnection::OpenCount() {
    return g_opens.load();
}

std::shared_ptr<SqliteConnection> SqliteConnection::TransactionConnection(std::string& err) {
    if (m_spare && m_spare.use_count() == 1 && !m_spare->InTransaction())
        return m_spare;
    auto conn = Open(m_path, false, err);
    if (conn && !m_spare)
        m_spare = conn;
    return conn;
}

int SqliteConnection::QueryText(const std::string& sql, std::string& out) {
    int rc = SQLITE_BUSY;
    for (int attempt = 0; attempt <= kBusyRetries && IsBusy(rc); ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(20 + 10 * attempt));
        sqlite3_stmt* stmt = nullptr;
        rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(stmt);
            if (rc == SQLITE_ROW) {
                const unsigned char* text = sqlite3_column_text(stmt, 0);
                out = text ? reinterpret_cast<const char*>(text) : "";
                rc = SQLITE_OK;
            } else if (rc == SQLITE_DONE) {
                rc = SQLITE_OK;
            }
        }
        if (rc != SQLITE_OK)
            out = sqlite3_errmsg(m_db);
        sqlite3_finalize(stmt);
    }
    return rc;
}

std::string SqliteConnection::ErrorText() const {
    return m_db ? sqlite3_errmsg(m_db) : "no database connection";
}

sqlite3_stmt* SqliteConnection::Prepare(const std::string& sql, std::string& err) {
    auto it = m_statements.find(sql);
    if (it != m_statements.end()) {
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
        return it->second;
    }
    sqlite3_stmt* stmt = nullptr;
    int rc = SQLITE_BUSY;
    for (int attempt = 0; attempt <= kBusyRetries && IsBusy(rc); ++attempt)
        rc = sqlite3_prepare_v3(m_db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        err = ErrorText();
        sqlite3_finalize(stmt);
        return nullptr;
    }
    m_statements.emplace(sql, stmt);
    return stmt;
}

int SqliteConnection::Step(sqlite3_stmt* stmt) {
    int rc = sqlite3_step(stmt);
    for (int attempt = 0; attempt < kBusyRetries && IsBusy(rc); ++attempt) {
        sqlite3_reset(stmt);
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + 10 * attempt));
        rc = sqlite3_step(stmt);
    }
    return rc;
}

int SqliteConnection::Exec(const std::string& sql, std::string& err) {
    int rc = SQLITE_BUSY;
    for (int attempt = 0; attempt <= kBusyRetries && IsBusy(rc); ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(20 + 10 * attempt));
        char* msg = nullptr;
        rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &msg);
        if (rc != SQLITE_OK)
            err = msg ? msg : sqlite3_errstr(rc);
        sqlite3_free(msg);
    }
    return rc;
}

int SqliteConnection::Begin(std::string& err) {
    if (m_depth > 0) {
        // A nested write gets a savepoint: its failure undoes only its own changes.
        int rc = Exec("SAVEPOINT pelmo_" + std::to_string(m_depth), err);
        if (rc == SQLITE_OK)
            ++m_depth;
        return rc;
    }
    int rc = Exec("BEGIN IMMEDIATE", err);
    if (rc == SQLITE_OK)
        m_depth = 1;
    return rc;
}

int SqliteConnection::End(bool commit, std::string& err) {
    if (m_depth == 0)
        return SQLITE_OK;
    --m_depth;
    std::string ignored;
    if (m_depth > 0) {
        std::string name = "pelmo_" + std::to_string(m_depth);
        if (!commit)
            Exec("ROLLBACK TO " + name, ignored);
        return Exec("RELEASE " + name, err);
    }
    if (!commit)
        return Exec("ROLLBACK", err);
    int rc = Exec("COMMIT", err);
    if (rc != SQLITE_OK)
        Exec("ROLLBACK", ignored);
    return rc;
}
