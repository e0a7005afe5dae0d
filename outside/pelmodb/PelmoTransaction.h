#pragma once
// One local transaction over the writes of several record objects. The objects named at the
// start share one connection of the transaction until it ends (not the one the other objects of
// the thread share, so those neither see nor join it), so their Insert, Update
// and Delete calls commit together or not at all. Each such write is a savepoint inside the
// transaction: a failed write undoes only itself, and the caller decides whether to commit the
// rest.
//
// REQUIRES: while the transaction is open nothing else in this process writes the database
// through another connection (it would wait on this transaction's lock): no operation-log
// entries, key counters or library helpers with their own tables until Commit or the end.
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CBaseDBCall;
class SqliteConnection;

class PelmoTransaction {
public:
    // Begins the transaction (waiting for other writers as every write does). tables must not be
    // empty and must outlive the transaction.
    explicit PelmoTransaction(const std::vector<CBaseDBCall*>& tables);
    // Rolls back unless committed, and gives every object its own connection back.
    ~PelmoTransaction();
    PelmoTransaction(const PelmoTransaction&) = delete;
    PelmoTransaction& operator=(const PelmoTransaction&) = delete;

    // 0 while the transaction is open; else the PelmoStatus value of why it could not begin.
    int Status() const { return m_status; }
    const std::string& GetLastDBErr() const { return m_err; }

    // Commits: 0, or a status with everything rolled back. The transaction is over either way.
    int Commit();

private:
    void Finish(bool commit);

    std::shared_ptr<SqliteConnection> m_conn;
    std::vector<std::pair<CBaseDBCall*, std::shared_ptr<SqliteConnection>>> m_joined;
    int m_status = 0;
    bool m_open = false;
    std::string m_err;
};
