#pragma once
// The clinic database file: its name in the database folder, its creation, and the
// installation values kept in it (entry folder, clinic code).
#include <string>

class SqliteConnection;
class TableSpec;

class PelmoSchema {
public:
    // File name of the database inside the database folder.
    static constexpr const char* kFileName = "PelmoDB.sqlite";
    // Installation value names.
    static constexpr const char* kEntryFolder = "entry_folder";
    static constexpr const char* kClinicCode = "clinic_code";

    // folder + file name; a missing trailing '/' is added to folder.
    static std::string DatabaseFile(const std::string& folder);

    // Creates the database file with every table (or completes the tables of an existing one).
    // 0 on success, else a PelmoStatus value with err set.
    static int Create(const std::string& folder, std::string& err);

    // Creates the table of spec (with its indexes and change-time triggers) when the database
    // lacks it. 0 on success, else a PelmoStatus value with err set.
    static int EnsureTable(SqliteConnection& conn, const TableSpec& spec, std::string& err);

    // True when the connection's file holds this library's tables.
    static bool IsClinicDatabase(SqliteConnection& conn);

    // Installation values, CP932 in and out (UTF-8 in the file). A value never set reads as "".
    static int ReadValue(SqliteConnection& conn, const std::string& name, std::string& value,
                         std::string& err);
    static int WriteValue(SqliteConnection& conn, const std::string& name, const std::string& value,
                          std::string& err);
};
