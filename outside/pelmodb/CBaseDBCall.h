#pragma once
// Base of every record class: one current record in a fixed-layout struct that the caller reads
// and writes in place, numbered keys addressed by raw key buffers, byte ordering.
//
// Calling order: construct (database folder, open mode) -> SetAssociatedDB (a CPelmoDBSys, or
// null to open the folder's database on first use) -> a keyed get of the derived class, or
// SetKey -> SetKeyBuffer -> GetGREQ/GetLEEQ/GetFIRST -> while 0: use the record, GetNEXT.
//
// Results: 0 found/stored; 4 no record with that key; 9 end of file; other PelmoStatus values
// are errors with a readable GetLastDBErr. Every write is one SQLite transaction, so a crash
// never leaves half a record; other processes may read and write the same file at once.
//
// Keys: a key buffer is cut or zero-padded to the key's length; inside each text segment the
// bytes after its first NUL are ignored (treated as zero). Records of one key are ordered by
// the key bytes (memcmp), then by key 0. Text fields are written back normalized: bytes after
// the first NUL are zeroed and a field without NUL loses its last character.
#include "PelmoStatus.h"
#include "TableSpec.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CPelmoDBSys;
class SqliteConnection;
struct sqlite3_stmt;

class CBaseDBCall {
public:
    virtual ~CBaseDBCall();
    CBaseDBCall(const CBaseDBCall&) = delete;
    CBaseDBCall& operator=(const CBaseDBCall&) = delete;

    // Binds the table to a database-system handle (shared connection) or, with null, lets it
    // open the database of its own folder. The handle must outlive this object's use of it.
    void SetAssociatedDB(CPelmoDBSys* sys);

    // Probes the database now (it opens on first use otherwise). 0 when it can be used.
    int Open();
    // Releases this object's connection; the next call opens it again.
    void Close();

    const std::string& GetLastDBErr() const { return m_lastErr; }

    // Chooses the key for the following navigation. 0, or 6 when the table has no such key.
    int SetKey(int keyNumber);
    // Sets the search key bytes (see Keys above). length < 0 is taken as 0.
    int SetKeyBuffer(const void* key, int length);
    // Length in bytes of a key of this table, 0 when there is no such key.
    int GetKeyLength(int keyNumber) const;

    // Navigation on the current key; 0 with the record loaded, 9 at end of file (IsEOF then
    // true; the record buffer is left as it was).
    int GetGREQ();  // first record whose key >= the key buffer
    int GetLEEQ();  // last record whose key <= the key buffer
    int GetFIRST(); // first record
    int GetLAST();  // last record
    int GetNEXT();  // record after the current one in key order (8 when none is current)
    int GetPREV();  // record before the current one
    int IsEOF() const { return m_eof ? 1 : 0; }

    // Number of records, -1 on error.
    long GetRecordCount();
    // Change stamp of the table, kept by triggers: milliseconds since 1970 (UTC), raised by at
    // least one on every insert, update or delete by any process. 0 when never changed or on
    // error.
    std::int64_t GetFileTime();

    // Stores the record buffer as a new record: 0, or 5 when its key 0 exists.
    int Insert();
    // Rewrites the record whose key 0 equals the buffer's: 0, or 4 when there is none.
    int Update();
    // Deletes the record whose key 0 equals the buffer's: 0, or 4 when there is none.
    int Delete();

    // Zero-fills the record buffer.
    void ClearRecord();

    const TableSpec& GetSpec() const { return m_spec; }
    // The record struct of the derived class as raw bytes (GetSpec().recordSize of them).
    void* RecordBuffer() { return m_record; }
    const void* RecordBuffer() const { return m_record; }
    const std::string& GetFolder() const { return m_folder; }
    int GetOpenMode() const { return m_mode; }

protected:
    // folder: database folder; mode: open mode of the callers (0 readers, 1 writers; both may
    // write). record must point to the derived class's record struct of spec.recordSize bytes.
    CBaseDBCall(const std::string& folder, int mode, const TableSpec& spec, void* record);

    // Loads the record whose key 0 equals keyBytes (already of key 0's length): 0 or 4.
    // On 4 the record buffer is cleared.
    int GetByKey0(const std::string& keyBytes);
    // Loads the first record (key 0 order) whose key keyNumber equals keyBytes (of that key's
    // length): 0 or 4 (record cleared). The caller's key number and key buffer stay.
    int GetFirstEqual(int keyNumber, const std::string& keyBytes);
    // Key 0 bytes of a text value (a key of one segment).
    std::string Key0Of(std::string_view text) const;

    // Shared connection, opened when needed; null with m_lastErr set.
    std::shared_ptr<SqliteConnection> Connection();
    int Fail(int status, const std::string& text);
    int DbFail(const std::string& what);
    // Inserts or updates the buffer inside the caller's transaction (no Begin/End).
    int WriteRecord(bool insert);
    std::string WriteSql(bool insert) const;
    // Reads the row of a SELECT of m_select into the record and the position.
    void LoadRow(sqlite3_stmt* st);

    void* m_record;
    std::string m_lastErr;

private:
    friend class PelmoTransaction;
    // Makes this object use conn (a transaction's connection) instead of its own, creating a
    // table added later on it when needed; returns the connection it used before (may be null).
    // 0 in status when the object can work on conn.
    std::shared_ptr<SqliteConnection> UseConnection(std::shared_ptr<SqliteConnection> conn,
                                                    int& status);

    int Navigate(const std::string& sqlTail, const std::vector<std::string>& binds);
    // GetNEXT (forward) and GetPREV: the neighbour of the current record on the current key.
    int Step(bool forward);
    const TableSpec::Key* CurrentKey();

    std::string m_folder;
    int m_mode;
    const TableSpec& m_spec;
    std::vector<std::string> m_keyColumns; // key 0's first
    std::string m_select;                  // "SELECT <fields>, <key columns> FROM <table> "
    std::string m_insertSql;
    std::string m_updateSql;
    CPelmoDBSys* m_sys = nullptr;
    std::unique_ptr<CPelmoDBSys> m_ownSys;
    std::shared_ptr<SqliteConnection> m_conn;

    int m_keyNumber = 0;
    std::string m_keyBuffer;
    bool m_eof = false;
    bool m_positioned = false;
    std::vector<std::string> m_position; // key column values of the current record
};
