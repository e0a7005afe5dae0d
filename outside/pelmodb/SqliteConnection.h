#pragma once
// One SQLite connection to the clinic database file, shared by the record classes bound to the
// same CPelmoDBSys (or owned by one record class). Waits on locks of other processes (busy
// timeout plus retries) so callers never see a raw SQLITE_BUSY.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

class SqliteConnection {
public:
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Opens dbFile (created only when create is true) in WAL mode. Null with err set on failure.
    static std::shared_ptr<SqliteConnection> Open(const std::string& dbFile, bool create,
                                                  std::string& err);
    // Files opened by this process so far (failed attempts included), for tests and benches.
    static long long OpenCount();

    // A second connection to the same file for a transaction over several tables, so that
    // whoever else shares this one stays outside it. An idle one from an earlier transaction is
    // reused; it lives as long as this connection. Null with err set when it cannot be opened.
    std::shared_ptr<SqliteConnection> TransactionConnection(std::string& err);

    sqlite3* Handle() const { return m_db; }

    // A prepared statement, cached for the life of the connection and reset before it is handed
    // out. Null with err set when the text does not compile.
    sqlite3_stmt* Prepare(const std::string& sql, std::string& err);

    // sqlite3_step that waits out SQLITE_BUSY/SQLITE_LOCKED (up to about a minute in all).
    int Step(sqlite3_stmt* stmt);

    // Runs statements without results (schema, pragmas). Returns a SQLite result code.
    int Exec(const std::string& sql, std::string& err);

    // Write transactions. Begin takes the write lock at once (BEGIN IMMEDIATE) so two writers
    // never deadlock on a lock upgrade. Nested Begin/End pairs are savepoints inside the outer
    // transaction: End(false) undoes that level only; End(true) of the outermost level commits.
    // Both return a SQLite result code (SQLITE_OK on success).
    int Begin(std::string& err);
    int End(bool commit, std::string& err);
    bool InTransaction() const { return m_depth > 0; }

    const std::string& Path() const { return m_path; }
    std::string ErrorText() const;

private:
    SqliteConnection() = default;
    // The first column of the first row of sql in out (or the error text): a SQLite code.
    int QueryText(const std::string& sql, std::string& out);

    sqlite3* m_db = nullptr;
    std::string m_path;
    std::unordered_map<std::string, sqlite3_stmt*> m_statements;
    int m_depth = 0;
    std::shared_ptr<SqliteConnection> m_spare; // see TransactionConnection
};
