#include "PelmoTransaction.h"

#include "CBaseDBCall.h"
#include "PelmoStatus.h"
#include "SqliteConnection.h"

#include <sqlite3.h>

PelmoTransaction::PelmoTransaction(const std::vector<CBaseDBCall*>& tables) {
    if (tables.empty()) {
        m_status = PelmoStatus::kNoCurrent;
        m_err = "no table for the transaction";
        return;
    }
    CBaseDBCall* host = tables.front();
    m_conn = host->Connection();
    if (!m_conn) {
        m_status = PelmoStatus::kCannotOpen;
        m_err = host->GetLastDBErr();
        return;
    }
    for (CBaseDBCall* t : tables) {
        if (t == host)
            continue;
        int status = PelmoStatus::kOk;
        m_joined.emplace_back(t, t->UseConnection(m_conn, status));
        if (status != PelmoStatus::kOk) {
            m_status = status;
            m_err = t->GetLastDBErr();
            return;
        }
    }
    if (m_conn->Begin(m_err) != SQLITE_OK) {
        m_status = PelmoStatus::kBusy;
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
    if (m_conn->End(commit, err) != SQLITE_OK && commit) {
        m_status = PelmoStatus::kDatabaseError;
        m_err = "commit failed: " + err;
    }
}

int PelmoTransaction::Commit() {
    if (!m_open)
        return m_status != PelmoStatus::kOk ? m_status : PelmoStatus::kNoCurrent;
    Finish(true);
    return m_status;
}
