#include "CWebLogDB.h"

#include "PelmoMessages.h"
#include "SqliteConnection.h"
#include "platform/Cp932.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
TableSpec MakeSpec() {
    using R = tagWebLog;
    TableSpec s;
    s.table = "web_log";
    s.recordSize = sizeof(R);
    s.fields = {PELMO_FIELD(R, number, Text), PELMO_FIELD(R, time, Text),
                PELMO_FIELD(R, message, Text), PELMO_FIELD(R, reference, Text)};
    s.keys = {{0, "k0", {PELMO_SEGMENT(R, number)}}};
    return s;
}

bool IsDate(std::string_view d) {
    if (d.size() != 8)
        return false;
    for (char c : d)
        if (c < '0' || c > '9')
            return false;
    return true;
}
} // namespace

const TableSpec& CWebLogDB::Spec() {
    static const TableSpec spec = MakeSpec();
    return spec;
}

CWebLogDB::CWebLogDB(const std::string& folder, int mode)
    : CBaseDBCall(folder, mode, Spec(), &m_rec) {}

int CWebLogDB::GetLastWebLogNo(std::string_view date) {
    if (!IsDate(date)) {
        Fail(PelmoStatus::kBadValue, PelmoMessages::NotADate(std::string(date)));
        return -1;
    }
    auto conn = Connection();
    if (!conn)
        return -1;
    std::string low = Key0Of(std::string(date) + "00000");
    std::string high = Key0Of(std::string(date) + "99999");
    sqlite3_stmt* st = conn->Prepare(
        "SELECT number FROM web_log WHERE k0 >= ?1 AND k0 <= ?2 ORDER BY k0 DESC LIMIT 1",
        m_lastErr);
    if (!st)
        return -1;
    sqlite3_bind_blob(st, 1, low.data(), static_cast<int>(low.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(st, 2, high.data(), static_cast<int>(high.size()), SQLITE_TRANSIENT);
    int next = 1;
    int rc = conn->Step(st);
    if (rc == SQLITE_ROW) {
        const char* number = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        if (number && std::strlen(number) >= 13)
            next = std::atoi(number + 8) + 1;
    } else if (rc != SQLITE_DONE) {
        DbFail(platform::J("読み込み"));
        next = -1;
    }
    sqlite3_reset(st);
    return next;
}

int CWebLogDB::Insert() {
    int rc = CBaseDBCall::Insert();
    std::string date(m_rec.number, strnlen(m_rec.number, 8));
    for (int attempt = 0; rc == PelmoStatus::kDuplicateKey && IsDate(date) && attempt < 20;
         ++attempt) {
        int next = GetLastWebLogNo(date);
        if (next < 0 || next > 99999)
            return rc;
        std::snprintf(m_rec.number, sizeof m_rec.number, "%s%05d", date.c_str(), next);
        rc = CBaseDBCall::Insert();
    }
    return rc;
}
