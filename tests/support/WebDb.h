#pragma once
// A fresh web database on the private server (scripts/webdb) for one test: created from
// webdb/schema.sql under the name "nvweb-<unique>" and dropped again when the object goes, so tests
// never share rows. Server values come from WEBDB_HOST, WEBDB_PORT, WEBDB_USER, WEBDB_PASS.
// The constructor throws std::runtime_error (the test fails, it is never skipped) when the server
// cannot be reached or the schema cannot be created.
#include <optional>
#include <string>
#include <vector>

class WebDb {
public:
    using Row = std::vector<std::optional<std::string>>; // NULL -> nullopt

    WebDb();
    ~WebDb();
    WebDb(const WebDb&) = delete;
    WebDb& operator=(const WebDb&) = delete;

    // Whole database name, "nvweb-" + Suffix().
    const std::string& Name() const { return m_name; }
    // The part after "nvweb-", the value the agent keeps as "MYSQL_DB".
    const std::string& Suffix() const { return m_suffix; }

    static std::string Host();
    static int Port();
    static std::string User();
    static std::string Password();
    // ODBC driver name of this machine, with braces.
    static std::string Driver() { return "{MariaDB Unicode}"; }

    // Connect string for a bare ODBC connection to this database (character set utf8mb4, bounded
    // connect time).
    std::string ConnectString() const;

    // Runs statements on a connection of the helper's own (CP932 text, like the programs, handed
    // to the driver as UTF-16).
    // Throws std::runtime_error with the driver's message on failure.
    void Exec(const std::string& sql) const;
    // All rows of a query as text.
    std::vector<Row> Query(const std::string& sql) const;
    // First column of the first row; nullopt for NULL or no row.
    std::optional<std::string> Scalar(const std::string& sql) const;

    // Upper-case hexadecimal digits of the bytes, as HEX() prints them.
    static std::string Hex(const std::string& bytes);
    // HEX() of what the server stores in a utf8mb4 column for these CP932 bytes (its own cp932
    // conversion), to compare stored columns with.
    std::string StoredHex(const std::string& cp932) const;

private:
    void Release(); // drops the database and closes the helper's connection

    std::string m_suffix;
    std::string m_name;
    void* m_env = nullptr; // SQLHENV
    void* m_dbc = nullptr; // SQLHDBC, on m_name
};
