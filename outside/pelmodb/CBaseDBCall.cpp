#include "CBaseDBCall.h"

#include "CPelmoDBSys.h"
#include "PelmoSchema.h"
#include "SqliteConnection.h"
#include "platform/Cp932.h"

#include <sqlite3.h>

#include <cstring>

namespace {
bool IsAscii(const char* p, std::size_t len) {
    for (std::size_t i = 0; i < len; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    return true;
}
} // namespace

CBaseDBCall::CBaseDBCall(const std::string& folder, int mode, const TableSpec& spec, void* record)
    : m_record(record), m_folder(folder), m_mode(mode), m_spec(spec),
      m_keyColumns(spec.KeyColumns()) {
    ClearRecord();
    std::string list;
    for (const TableSpec::Field& f : m_spec.fields)
        list += std::string(f.name) + ", ";
    for (std::size_t i = 0; i < m_keyColumns.size(); ++i)
        list += m_keyColumns[i] + (i + 1 < m_keyColumns.size() ? ", " : "");
    m_select = "SELECT " + list + " FROM " + m_spec.table + " ";
}

CBaseDBCall::~CBaseDBCall() = default;

void CBaseDBCall::SetAssociatedDB(CPelmoDBSys* sys) {
    if (sys != m_sys)
        m_conn.reset();
    m_sys = sys;
}

std::shared_ptr<SqliteConnection> CBaseDBCall::Connection() {
    if (m_conn)
        return m_conn;
    CPelmoDBSys* sys = m_sys;
    if (!sys) {
        if (!m_ownSys)
            m_ownSys = std::make_unique<CPelmoDBSys>(m_folder);
        sys = m_ownSys.get();
    }
    m_conn = sys->Connection();
    if (!m_conn) {
        m_lastErr = sys->GetLastDBErr();
        return m_conn;
    }
    if (m_spec.addedLater) {
        std::string err;
        if (PelmoSchema::EnsureTable(*m_conn, m_spec, err) != PelmoStatus::kOk) {
            Fail(PelmoStatus::kCannotOpen, "cannot create the table: " + err);
            m_conn.reset();
        }
    }
    return m_conn;
}

std::shared_ptr<SqliteConnection> CBaseDBCall::UseConnection(std::shared_ptr<SqliteConnection> conn,
                                                             int& status) {
    status = PelmoStatus::kOk;
    if (conn && m_spec.addedLater) {
        std::string err;
        status = PelmoSchema::EnsureTable(*conn, m_spec, err);
        if (status != PelmoStatus::kOk)
            Fail(status, "cannot create the table: " + err);
    }
    std::shared_ptr<SqliteConnection> previous = std::move(m_conn);
    m_conn = std::move(conn);
    return previous;
}

int CBaseDBCall::Open() {
    return Connection() ? PelmoStatus::kOk : PelmoStatus::kCannotOpen;
}

void CBaseDBCall::Close() {
    m_conn.reset();
    if (m_ownSys)
        m_ownSys->CloseDB();
    m_positioned = false;
}

int CBaseDBCall::Fail(int status, const std::string& text) {
    m_lastErr = m_spec.table + ": " + text;
    return status;
}

int CBaseDBCall::DbFail(const std::string& what) {
    int status = PelmoStatus::kDatabaseError;
    if (m_conn) {
        int rc = sqlite3_errcode(m_conn->Handle()) & 0xFF;
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            status = PelmoStatus::kBusy;
        return Fail(status, what + ": " + m_conn->ErrorText());
    }
    return Fail(status, what);
}

int CBaseDBCall::SetKey(int keyNumber) {
    if (!m_spec.FindKey(keyNumber))
        return Fail(PelmoStatus::kBadKeyNumber, "no key number " + std::to_string(keyNumber));
    m_keyNumber = keyNumber;
    return PelmoStatus::kOk;
}

int CBaseDBCall::SetKeyBuffer(const void* key, int length) {
    if (length < 0 || !key)
        length = 0;
    m_keyBuffer.assign(static_cast<const char*>(key), static_cast<std::size_t>(length));
    return PelmoStatus::kOk;
}

int CBaseDBCall::GetKeyLength(int keyNumber) const {
    const TableSpec::Key* k = m_spec.FindKey(keyNumber);
    return k ? static_cast<int>(k->Length()) : 0;
}

void CBaseDBCall::ClearRecord() {
    std::memset(m_record, 0, m_spec.recordSize);
}

void CBaseDBCall::LoadRow(sqlite3_stmt* st) {
    ClearRecord();
    char* base = static_cast<char*>(m_record);
    int col = 0;
    for (const TableSpec::Field& f : m_spec.fields) {
        char* p = base + f.offset;
        switch (f.kind) {
        case TableSpec::Kind::Text: {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
            std::size_t len = static_cast<std::size_t>(sqlite3_column_bytes(st, col));
            if (!text || len == 0)
                break;
            if (IsAscii(text, len)) { // most fields: codes, dates, digits
                std::memcpy(p, text, std::min(len, f.size - 1));
                break;
            }
            std::string cp = platform::Utf8ToCp932(std::string_view(text, len));
            std::size_t n = platform::Cp932CutLength(cp, f.size - 1);
            std::memcpy(p, cp.data(), n);
            break;
        }
        case TableSpec::Kind::Byte:
            *p = static_cast<char>(sqlite3_column_int(st, col));
            break;
        case TableSpec::Kind::Int32: {
            std::int32_t v = sqlite3_column_int(st, col);
            std::memcpy(p, &v, sizeof v);
            break;
        }
        case TableSpec::Kind::Int64: {
            std::int64_t v = sqlite3_column_int64(st, col);
            std::memcpy(p, &v, sizeof v);
            break;
        }
        }
        ++col;
    }
    std::size_t nkeys = m_keyColumns.size();
    m_position.assign(nkeys, std::string());
    for (std::size_t i = 0; i < nkeys; ++i, ++col) {
        const void* blob = sqlite3_column_blob(st, col);
        int len = sqlite3_column_bytes(st, col);
        if (blob && len > 0)
            m_position[i].assign(static_cast<const char*>(blob), static_cast<std::size_t>(len));
    }
    m_positioned = true;
    m_eof = false;
}

const TableSpec::Key* CBaseDBCall::CurrentKey() {
    const TableSpec::Key* key = m_spec.FindKey(m_keyNumber);
    if (!key)
        Fail(PelmoStatus::kBadKeyNumber, "no key number " + std::to_string(m_keyNumber));
    return key;
}

int CBaseDBCall::Navigate(const std::string& sqlTail, const std::vector<std::string>& binds) {
    auto conn = Connection();
    if (!conn)
        return PelmoStatus::kCannotOpen;
    std::string sql = m_select + sqlTail;
    sqlite3_stmt* st = conn->Prepare(sql, m_lastErr);
    if (!st)
        return Fail(PelmoStatus::kDatabaseError, m_lastErr);
    for (std::size_t i = 0; i < binds.size(); ++i)
        sqlite3_bind_blob(st, static_cast<int>(i + 1), binds[i].data(),
                          static_cast<int>(binds[i].size()), SQLITE_TRANSIENT);
    int rc = conn->Step(st);
    if (rc == SQLITE_ROW) {
        LoadRow(st);
        sqlite3_reset(st);
        return PelmoStatus::kOk;
    }
    sqlite3_reset(st);
    if (rc == SQLITE_DONE) {
        m_eof = true;
        return Fail(PelmoStatus::kEndOfFile, "end of file");
    }
    return DbFail("read failed");
}

int CBaseDBCall::GetGREQ() {
    const TableSpec::Key* key = CurrentKey();
    if (!key)
        return PelmoStatus::kBadKeyNumber;
    const std::string& c = key->column;
    return Navigate("WHERE " + c + " >= ?1 ORDER BY " + c + ", k0 LIMIT 1",
                    {TableSpec::FitKey(*key, m_keyBuffer.data(), m_keyBuffer.size())});
}

int CBaseDBCall::GetLEEQ() {
    const TableSpec::Key* key = CurrentKey();
    if (!key)
        return PelmoStatus::kBadKeyNumber;
    const std::string& c = key->column;
    return Navigate("WHERE " + c + " <= ?1 ORDER BY " + c + " DESC, k0 DESC LIMIT 1",
                    {TableSpec::FitKey(*key, m_keyBuffer.data(), m_keyBuffer.size())});
}

int CBaseDBCall::GetFIRST() {
    const TableSpec::Key* key = CurrentKey();
    if (!key)
        return PelmoStatus::kBadKeyNumber;
    return Navigate("ORDER BY " + key->column + ", k0 LIMIT 1", {});
}

int CBaseDBCall::GetLAST() {
    const TableSpec::Key* key = CurrentKey();
    if (!key)
        return PelmoStatus::kBadKeyNumber;
    return Navigate("ORDER BY " + key->column + " DESC, k0 DESC LIMIT 1", {});
}

int CBaseDBCall::GetNEXT() {
    return Step(true);
}

int CBaseDBCall::GetPREV() {
    return Step(false);
}

int CBaseDBCall::Step(bool forward) {
    const TableSpec::Key* key = CurrentKey();
    if (!key)
        return PelmoStatus::kBadKeyNumber;
    if (!m_positioned)
        return Fail(PelmoStatus::kNoCurrent, "no current record");
    const std::string cmp = forward ? ">" : "<";
    const std::string dir = forward ? "" : " DESC";
    std::size_t idx = 0;
    while (m_keyColumns[idx] != key->column)
        ++idx;
    if (idx == 0)
        return Navigate("WHERE k0 " + cmp + " ?1 ORDER BY k0" + dir + " LIMIT 1", {m_position[0]});
    const std::string& c = key->column;
    return Navigate("WHERE (" + c + ", k0) " + cmp + " (?1, ?2) ORDER BY " + c + dir + ", k0" +
                        dir + " LIMIT 1",
                    {m_position[idx], m_position[0]});
}

int CBaseDBCall::GetByKey0(const std::string& keyBytes) {
    int rc = Navigate("WHERE k0 = ?1", {keyBytes});
    if (rc == PelmoStatus::kEndOfFile) {
        m_eof = false;
        ClearRecord();
        return Fail(PelmoStatus::kNotFound, "no record with that key");
    }
    return rc;
}

int CBaseDBCall::GetFirstEqual(int keyNumber, const std::string& keyBytes) {
    const TableSpec::Key* key = m_spec.FindKey(keyNumber);
    if (!key)
        return Fail(PelmoStatus::kBadKeyNumber, "no key number " + std::to_string(keyNumber));
    const std::string& c = key->column;
    int rc = Navigate("WHERE " + c + " = ?1 ORDER BY " + c + ", k0 LIMIT 1", {keyBytes});
    if (rc == PelmoStatus::kEndOfFile) {
        m_eof = false;
        ClearRecord();
        return Fail(PelmoStatus::kNotFound, "no record with that key");
    }
    return rc;
}

std::string CBaseDBCall::Key0Of(std::string_view text) const {
    std::string s(text);
    return TableSpec::FitKey(m_spec.keys[0], s.c_str(), s.size());
}

long CBaseDBCall::GetRecordCount() {
    auto conn = Connection();
    if (!conn)
        return -1;
    sqlite3_stmt* st = conn->Prepare("SELECT count(*) FROM " + m_spec.table, m_lastErr);
    if (!st)
        return -1;
    long n = -1;
    if (conn->Step(st) == SQLITE_ROW)
        n = static_cast<long>(sqlite3_column_int64(st, 0));
    else
        DbFail("count failed");
    sqlite3_reset(st);
    return n;
}

std::int64_t CBaseDBCall::GetFileTime() {
    auto conn = Connection();
    if (!conn)
        return 0;
    sqlite3_stmt* st =
        conn->Prepare("SELECT changed FROM pelmo_file_times WHERE name = ?1", m_lastErr);
    if (!st)
        return 0;
    sqlite3_bind_text(st, 1, m_spec.table.c_str(), -1, SQLITE_TRANSIENT);
    std::int64_t t = 0;
    int rc = conn->Step(st);
    if (rc == SQLITE_ROW)
        t = sqlite3_column_int64(st, 0);
    else if (rc != SQLITE_DONE)
        DbFail("file time failed");
    sqlite3_reset(st);
    return t;
}

std::string CBaseDBCall::WriteSql(bool insert) const {
    std::string sql;
    const std::vector<std::string>& cols = m_keyColumns;
    if (insert) {
        std::string names, marks;
        int n = 0;
        for (const std::string& c : cols) {
            names += c + ", ";
            marks += "?" + std::to_string(++n) + ", ";
        }
        for (std::size_t i = 0; i < m_spec.fields.size(); ++i) {
            names += m_spec.fields[i].name;
            marks += "?" + std::to_string(++n);
            if (i + 1 < m_spec.fields.size()) {
                names += ", ";
                marks += ", ";
            }
        }
        sql = "INSERT INTO " + m_spec.table + " (" + names + ") VALUES (" + marks + ")";
    } else {
        sql = "UPDATE " + m_spec.table + " SET ";
        int n = 1; // ?1 is key 0 in the WHERE clause
        for (const std::string& c : cols)
            sql += c + " = ?" + std::to_string(++n) + ", ";
        for (std::size_t i = 0; i < m_spec.fields.size(); ++i) {
            sql += std::string(m_spec.fields[i].name) + " = ?" + std::to_string(++n);
            sql += i + 1 < m_spec.fields.size() ? ", " : "";
        }
        sql += " WHERE k0 = ?1";
    }
    return sql;
}

int CBaseDBCall::WriteRecord(bool insert) {
    auto conn = Connection();
    if (!conn)
        return PelmoStatus::kCannotOpen;
    m_spec.Normalize(m_record);
    const std::vector<std::string>& cols = m_keyColumns;
    std::string& sql = insert ? m_insertSql : m_updateSql;
    if (sql.empty())
        sql = WriteSql(insert);
    sqlite3_stmt* st = conn->Prepare(sql, m_lastErr);
    if (!st)
        return Fail(PelmoStatus::kDatabaseError, m_lastErr);

    std::vector<std::string> keyValues;
    for (const std::string& c : cols)
        for (const TableSpec::Key& k : m_spec.keys)
            if (k.column == c) {
                keyValues.push_back(m_spec.KeyBytes(k, m_record));
                break;
            }
    int n = 0;
    if (!insert)
        sqlite3_bind_blob(st, ++n, keyValues[0].data(), static_cast<int>(keyValues[0].size()),
                          SQLITE_TRANSIENT);
    for (const std::string& kv : keyValues)
        sqlite3_bind_blob(st, ++n, kv.data(), static_cast<int>(kv.size()), SQLITE_TRANSIENT);
    const char* base = static_cast<const char*>(m_record);
    for (const TableSpec::Field& f : m_spec.fields) {
        const char* p = base + f.offset;
        ++n;
        switch (f.kind) {
        case TableSpec::Kind::Text: {
            std::string utf8 = platform::Cp932ToUtf8(std::string_view(p, strnlen(p, f.size)));
            sqlite3_bind_text(st, n, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
            break;
        }
        case TableSpec::Kind::Byte:
            sqlite3_bind_int(st, n, static_cast<unsigned char>(*p));
            break;
        case TableSpec::Kind::Int32: {
            std::int32_t v;
            std::memcpy(&v, p, sizeof v);
            sqlite3_bind_int(st, n, v);
            break;
        }
        case TableSpec::Kind::Int64: {
            std::int64_t v;
            std::memcpy(&v, p, sizeof v);
            sqlite3_bind_int64(st, n, v);
            break;
        }
        }
    }
    int rc = conn->Step(st);
    int changes = sqlite3_changes(conn->Handle());
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
        if ((rc & 0xFF) == SQLITE_CONSTRAINT)
            return Fail(PelmoStatus::kDuplicateKey, "a record with that key exists");
        return DbFail(insert ? "insert failed" : "update failed");
    }
    if (!insert && changes == 0)
        return Fail(PelmoStatus::kNotFound, "no record with that key");
    m_position = keyValues;
    m_positioned = true;
    return PelmoStatus::kOk;
}

namespace {
// Runs one write in its own transaction (or joins the caller's).
template <typename Fn> int InTransaction(SqliteConnection& conn, std::string& err, Fn&& fn) {
    if (conn.Begin(err) != SQLITE_OK)
        return PelmoStatus::kBusy;
    int status = fn();
    std::string endErr;
    if (conn.End(status == PelmoStatus::kOk, endErr) != SQLITE_OK && status == PelmoStatus::kOk) {
        err = "commit failed: " + endErr;
        return PelmoStatus::kDatabaseError;
    }
    return status;
}
} // namespace

int CBaseDBCall::Insert() {
    auto conn = Connection();
    if (!conn)
        return PelmoStatus::kCannotOpen;
    std::string err;
    int rc = InTransaction(*conn, err, [&] { return WriteRecord(true); });
    if (!err.empty())
        return Fail(rc, err);
    return rc;
}

int CBaseDBCall::Update() {
    auto conn = Connection();
    if (!conn)
        return PelmoStatus::kCannotOpen;
    std::string err;
    int rc = InTransaction(*conn, err, [&] { return WriteRecord(false); });
    if (!err.empty())
        return Fail(rc, err);
    return rc;
}

int CBaseDBCall::Delete() {
    auto conn = Connection();
    if (!conn)
        return PelmoStatus::kCannotOpen;
    m_spec.Normalize(m_record);
    std::string key = m_spec.KeyBytes(m_spec.keys[0], m_record);
    std::string err;
    int rc = InTransaction(*conn, err, [&] {
        sqlite3_stmt* st = conn->Prepare("DELETE FROM " + m_spec.table + " WHERE k0 = ?1", err);
        if (!st)
            return PelmoStatus::kDatabaseError;
        sqlite3_bind_blob(st, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
        int step = conn->Step(st);
        int changes = sqlite3_changes(conn->Handle());
        sqlite3_reset(st);
        if (step != SQLITE_DONE) {
            err = "delete failed: " + conn->ErrorText();
            return PelmoStatus::kDatabaseError;
        }
        if (changes == 0) {
            err = "no record with that key";
            return PelmoStatus::kNotFound;
        }
        return PelmoStatus::kOk;
    });
    if (rc != PelmoStatus::kOk && !err.empty())
        return Fail(rc, err);
    if (rc == PelmoStatus::kOk)
        m_positioned = false;
    return rc;
}
