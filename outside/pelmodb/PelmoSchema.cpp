#include "PelmoSchema.h"

#include "CCategoryDB.h"
#include "CDoctorDB.h"
#include "CIndexControlDB.h"
#include "CMemoDB.h"
#include "COwnerDB.h"
#include "CPatientDB.h"
#include "CPatientDB2.h"
#include "CReservationDB.h"
#include "CReservationStandbyDB.h"
#include "CSaleDB.h"
#include "CSaleItemDB.h"
#include "CWebLinkDB.h"
#include "CWebLogDB.h"
#include "PelmoStatus.h"
#include "SqliteConnection.h"
#include "platform/Cp932.h"

#include <sqlite3.h>

std::string PelmoSchema::DatabaseFile(const std::string& folder) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + kFileName;
}

int PelmoSchema::Create(const std::string& folder, std::string& err) {
    auto conn = SqliteConnection::Open(DatabaseFile(folder), true, err);
    if (!conn)
        return PelmoStatus::kCannotOpen;
    std::string sql = "CREATE TABLE IF NOT EXISTS pelmo_settings (name TEXT PRIMARY KEY, "
                      "value TEXT NOT NULL);\n"
                      "CREATE TABLE IF NOT EXISTS pelmo_file_times (name TEXT PRIMARY KEY, "
                      "changed INTEGER NOT NULL);\n";
    for (const TableSpec* spec :
         {&CReservationDB::Spec(), &CReservationStandbyDB::Spec(), &CPatientDB::Spec(),
          &CPatientDB2::Spec(), &CCategoryDB::Spec(), &CDoctorDB::Spec(), &CMemoDB::Spec(),
          &CSaleDB::Spec(), &CSaleItemDB::Spec(), &CIndexControlDB::Spec(), &COwnerDB::Spec(),
          &CWebLogDB::Spec(), &CWebLinkDB::Spec()})
        sql += spec->SchemaSql();
    sql += "INSERT OR IGNORE INTO pelmo_settings(name, value) VALUES('schema_version', '1');\n";
    if (conn->Begin(err) != SQLITE_OK)
        return PelmoStatus::kBusy;
    if (conn->Exec(sql, err) != SQLITE_OK) {
        std::string ignored;
        conn->End(false, ignored);
        return PelmoStatus::kDatabaseError;
    }
    return conn->End(true, err) == SQLITE_OK ? PelmoStatus::kOk : PelmoStatus::kDatabaseError;
}

int PelmoSchema::EnsureTable(SqliteConnection& conn, const TableSpec& spec, std::string& err) {
    sqlite3_stmt* st =
        conn.Prepare("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=?1", err);
    if (!st)
        return PelmoStatus::kDatabaseError;
    sqlite3_bind_text(st, 1, spec.table.c_str(), -1, SQLITE_TRANSIENT);
    const int rc = conn.Step(st);
    const bool present = rc == SQLITE_ROW && sqlite3_column_int(st, 0) == 1;
    sqlite3_reset(st);
    if (rc != SQLITE_ROW) {
        err = conn.ErrorText();
        return PelmoStatus::kDatabaseError;
    }
    if (present)
        return PelmoStatus::kOk;
    // IF NOT EXISTS throughout: another program may create it at the same moment.
    if (conn.Begin(err) != SQLITE_OK)
        return PelmoStatus::kBusy;
    const bool made = conn.Exec(spec.SchemaSql(), err) == SQLITE_OK;
    std::string endErr;
    if (conn.End(made, endErr) != SQLITE_OK && made) {
        err = endErr;
        return PelmoStatus::kDatabaseError;
    }
    return made ? PelmoStatus::kOk : PelmoStatus::kDatabaseError;
}

bool PelmoSchema::IsClinicDatabase(SqliteConnection& conn) {
    std::string err;
    sqlite3_stmt* st = conn.Prepare(
        "SELECT count(*) FROM sqlite_master WHERE type='table' AND name='pelmo_settings'", err);
    if (!st)
        return false;
    bool found = conn.Step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) == 1;
    sqlite3_reset(st); // an unfinished statement would pin this connection to an old snapshot
    return found;
}

int PelmoSchema::ReadValue(SqliteConnection& conn, const std::string& name, std::string& value,
                           std::string& err) {
    value.clear();
    sqlite3_stmt* st = conn.Prepare("SELECT value FROM pelmo_settings WHERE name=?1", err);
    if (!st)
        return PelmoStatus::kDatabaseError;
    sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    int rc = conn.Step(st);
    if (rc == SQLITE_ROW) {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        value = platform::Utf8ToCp932(text ? text : "");
    }
    sqlite3_reset(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        err = conn.ErrorText();
        return PelmoStatus::kDatabaseError;
    }
    return PelmoStatus::kOk;
}

int PelmoSchema::WriteValue(SqliteConnection& conn, const std::string& name,
                            const std::string& value, std::string& err) {
    if (conn.Begin(err) != SQLITE_OK)
        return PelmoStatus::kBusy;
    sqlite3_stmt* st = conn.Prepare("INSERT INTO pelmo_settings(name, value) VALUES(?1, ?2) "
                                    "ON CONFLICT(name) DO UPDATE SET value=excluded.value",
                                    err);
    bool ok = st != nullptr;
    if (ok) {
        std::string utf8 = platform::Cp932ToUtf8(value);
        sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, utf8.c_str(), -1, SQLITE_TRANSIENT);
        ok = conn.Step(st) == SQLITE_DONE;
        if (!ok)
            err = conn.ErrorText();
        sqlite3_reset(st);
    }
    if (conn.End(ok, err) != SQLITE_OK || !ok)
        return PelmoStatus::kDatabaseError;
    return PelmoStatus::kOk;
}
