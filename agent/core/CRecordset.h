#pragma once
// A forward-only, read-only record set on a SELECT text. Each row is read whole when the cursor
// reaches it, so fields can be read by name in any order and more than once.
#include <string>
#include <vector>

#include "agent/core/CDBVariant.h"

class CDatabase;

class CRecordset {
public:
    enum OpenType { forwardOnly = 3 };
    enum Options { none = 0, readOnly = 4 };

    explicit CRecordset(CDatabase* db);
    ~CRecordset(); // closes
    CRecordset(const CRecordset&) = delete;
    CRecordset& operator=(const CRecordset&) = delete;

    // Runs the query and moves to the first row. Throws CDBException on a driver error and
    // (08003) when the connection is not open; returns false only without a database.
    bool Open(unsigned openType, const std::string& sql, unsigned options = readOnly);
    void Close();
    bool IsOpen() const { return m_hstmt != nullptr; }

    bool IsEOF() const { return m_eof; }
    // Moves to the next row. Throws CDBException on a driver error.
    void MoveNext();

    short GetODBCFieldCount() const { return static_cast<short>(m_columns.size()); }
    // Column name of a 0-based index.
    std::string GetFieldName(short index) const;

    // Value of the current row's field. Throws CDBException (SQLSTATE 42S22) for an unknown
    // column name and (24000) when there is no current row.
    void GetFieldValue(const std::string& name, CDBVariant& value) const;
    void GetFieldValue(short index, CDBVariant& value) const;

private:
    struct Column {
        std::string name;
        short sqlType = 0;
        bool isUnsigned = false;
    };

    void Fetch();
    void ReadRow();

    CDatabase* m_db;
    void* m_hstmt = nullptr;
    std::vector<Column> m_columns;
    std::vector<CDBVariant> m_row;
    bool m_eof = true;
};
