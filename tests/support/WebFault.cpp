#include "WebFault.h"

#include "WebDb.h"

#include <atomic>
#include <cstdlib>
#include <stdexcept>

namespace {
int NextNumber() {
    static std::atomic<int> n{0};
    return ++n;
}
} // namespace

WebFault::WebFault(const WebDb& db, Kind kind, const std::string& table, const std::string& event,
                   const std::string& when, int times)
    : m_db(db), m_kind(kind) {
    const std::string n = std::to_string(NextNumber());
    m_trigger = "test_fault_" + n;
    std::string body;
    if (kind == Kind::Refuse) {
        // MyISAM keeps the count although the refused statement is rolled back.
        m_state = "test_fault_state_" + n;
        m_db.Exec("CREATE TABLE " + m_state + " (remaining INT NOT NULL, fired INT NOT NULL) " +
                  "ENGINE=MyISAM");
        m_db.Exec("INSERT INTO " + m_state + " VALUES(" + std::to_string(times) + ",0)");
        body = "IF (" + when + ") AND (SELECT remaining FROM " + m_state +
               ") > 0 THEN UPDATE " + m_state +
               " SET remaining=remaining-1, fired=fired+1; SIGNAL SQLSTATE '45000' SET "
               "MESSAGE_TEXT='refused by the test'; END IF;";
    } else {
        // A user lock is no table, so the test can watch and release it while the statement
        // holds its tables.
        m_lock = m_db.Name() + "/" + m_trigger;
        if (m_db.Scalar("SELECT GET_LOCK('" + m_lock + "',10)") != "1")
            throw std::runtime_error("cannot take the lock " + m_lock);
        m_holding = true;
        body = "IF (" + when + ") THEN SET @test_fault_held = GET_LOCK('" + m_lock +
               "',600); SET @test_fault_held = RELEASE_LOCK('" + m_lock +
               "'); SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='held by the test'; END IF;";
    }
    m_db.Exec("CREATE TRIGGER " + m_trigger + " BEFORE " + event + " ON " + table +
              " FOR EACH ROW BEGIN " + body + " END");
}

WebFault::~WebFault() {
    try {
        Release();
        m_db.Exec("DROP TRIGGER IF EXISTS " + m_trigger);
        if (!m_state.empty())
            m_db.Exec("DROP TABLE IF EXISTS " + m_state);
    } catch (...) {
        // The database goes with the test anyway.
    }
}

int WebFault::Count() const {
    if (m_kind == Kind::Refuse)
        return std::atoi(m_db.Scalar("SELECT fired FROM " + m_state).value_or("0").c_str());
    return std::atoi(m_db.Scalar("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE "
                                 "DB='" +
                                 m_db.Name() + "' AND STATE LIKE 'User lock%'")
                         .value_or("0")
                         .c_str());
}

void WebFault::Release() {
    if (!m_holding)
        return;
    m_holding = false;
    m_db.Scalar("SELECT RELEASE_LOCK('" + m_lock + "')");
}
