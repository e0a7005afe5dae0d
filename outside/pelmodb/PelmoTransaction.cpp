#include "PelmoTransaction.h"

#include "CBaseDBCall.h"
#include "PelmoMessages.h"
#include "PelmoStatus.h"
#include "SqliteConnection.h"
#include "platform/Cp932.h"

#include <sqlite3.h>

namespace {
// A failed step of the transaction: the lock text, or the reason.
std::string StepError(SqliteConnection& conn, int rc, const std::string& what,
                      const std::string& err) {
    return PelmoMessages::IsLockCode(rc) ? PelmoMessages::Locked(conn.Path(), what)
                                         : PelmoMessages::Failed(what, rc, err);
}
} // namespace

PelmoTransaction::PelmoTransaction(const std::vector<CBaseDBCall*>& tables) {
    if (tables.empty()) {
        m_status = PelmoStatus::kNoCurrent;
        m_err = "no table for the transaction";
        return;
    }
    CBaseDBCall* host = tables.front();
    std::shared_ptr<SqliteConnection> hostConn = host->Connection();
    if (!hostConn) {
        m_status = PelmoStatus::kCannotOpen;
        m_err = host->GetLastDBErr();
        return;
    }
    // The named tables move onto a connection of the transaction's own: the other objects of
    // this thread share the host's, and must neither see nor add to the uncommitted writes. Inside
    // another transaction on the host's connection this one nests in it as a savepoint.
    std::string openErr;
    m_conn = hostConn->InTransaction() ? hostConn : hostConn->TransactionConnection(openErr);
    if (!m_conn) {
        m_status = PelmoStatus::kCannotOpen;
        m_err = openErr;
        return;
    }
    for (CBaseDBCall* t : tables) {
        int status = PelmoStatus::kOk;
        m_joined.emplace_back(t, t->UseConnection(m_conn, status));
        if (status != PelmoStatus::kOk) {
            m_status = status;
            m_err = t->GetLastDBErr();
            return;
        }
    }
    std::string err;
    if (const int rc = m_conn->Begin(err); rc != SQLITE_OK) {
        m_status = PelmoStatus::kBusy;
        m_err = StepError(*m_conn, rc, platform::J("書き込みの開始"), err);
        return;
    }
    m_open = true;
}

PelmoTransaction::~PelmoTransaction() {
    Finish(false);
    // Backwards, so an object named twice ends up with its own connection.
    for (auto it = m_joined.rbegin(); it != m_joined.rend(); ++it) {
        int ignored = 0;
        it->first->UseConnection(std::move(it->second), ignored);
    }
}

void PelmoTransaction::Finish(bool commit) {
    if (!m_open)
        return;
    m_open = false;
    std::string err;
    if (const int rc = m_conn->End(commit, err); rc != SQLITE_OK && commit) {
        m_status = PelmoStatus::kDatabaseError;
        m_err = StepError(*m_conn, rc, platform::J("書き込みの確定"), err);
    }
}

int PelmoTransaction::Commit() {
    if (!m_open)
        return m_status != PelmoStatus::kOk ? m_status : PelmoStatus::kNoCurrent;
    Finish(true);
    return m_status;
}
