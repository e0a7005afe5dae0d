#pragma once
// The local web-log table as the operation log uses it (one object per stored entry).
// Results follow the local database library: 0 success, anything else failure.
#include <functional>
#include <memory>
#include <string>

#include "CWebLogDB.h"

class IWebLogTable {
public:
    virtual ~IWebLogTable() = default;
    virtual int Open() = 0;
    // Sequence number for the next record of that day (YYYYMMDD).
    virtual int GetLastWebLogNo(const std::string& yyyymmdd) = 0;
    virtual int Insert(const tagWebLog& record) = 0;
    virtual void Close() = 0;
};

// Makes the table object for a database folder (ending in '/').
using WebLogTableFactory =
    std::function<std::unique_ptr<IWebLogTable>(const std::string& databaseFolder)>;

// The local database's web-log table (CWebLogDB on the folder, opened as a writer).
WebLogTableFactory LocalWebLogTables();
