#include "WebDb.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <random>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#include "platform/Cp932.h"

#ifndef SUITE_SOURCE_DIR
#define SUITE_SOURCE_DIR "."
#endif

namespace {

std::string Env(const char* name, const char* def) {
    const char* v = std::getenv(name);
    return v && *v ? v : def;
}

// The helper talks to the driver in UTF-16 over a utf8mb4 connection, like the agent, so that
// CP932 texts with 0x5C trail bytes can be seeded and read back.
std::u16string Wide(const std::string& cp932) {
    return platform::Cp932ToUtf16(cp932);
}

SQLWCHAR* W(std::u16string& s) {
    return reinterpret_cast<SQLWCHAR*>(s.data());
}

std::string Narrow(const SQLWCHAR* text, size_t length) {
    return platform::Utf16ToCp932(
        std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::string Diag(SQLSMALLINT type, SQLHANDLE h) {
    SQLWCHAR state[6] = {};
    SQLWCHAR text[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT len = 0;
    if (SQL_SUCCEEDED(SQLGetDiagRecW(type, h, 1, state, &native, text, 1024, &len)))
        return Narrow(state, 5) + " " +
               Narrow(text, std::char_traits<char16_t>::length(reinterpret_cast<char16_t*>(text)));
    return "unknown ODBC error";
}

SQLRETURN ExecDirect(SQLHSTMT st, const std::string& sql) {
    std::u16string w = Wide(sql);
    return SQLExecDirectW(st, W(w), static_cast<SQLINTEGER>(w.size()));
}

// Statements of a schema file: '--' comment lines dropped, split at ';' ending a line.
std::vector<std::string> SplitStatements(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line, cur;
    while (std::getline(in, line)) {
        auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line.compare(first, 2, "--") == 0)
            continue;
        cur += line + "\n";
        auto last = line.find_last_not_of(" \t\r");
        if (line[last] == ';') {
            out.push_back(cur);
            cur.clear();
        }
    }
    if (cur.find_first_not_of(" \t\r\n") != std::string::npos)
        out.push_back(cur);
    return out;
}

std::string UniqueSuffix() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    char buf[64];
    snprintf(buf, sizeof buf, "t%d_%d_%04x", static_cast<int>(getpid()), ++counter,
             static_cast<unsigned>(rd() & 0xffff));
    return buf;
}

struct Conn {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
};

Conn Connect(const std::string& connectString) {
    Conn c;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &c.env);
    SQLSetEnvAttr(c.env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, c.env, &c.dbc);
    std::u16string w = Wide(connectString);
    SQLRETURN rc =
        SQLDriverConnectW(c.dbc, nullptr, W(w), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        std::string msg = Diag(SQL_HANDLE_DBC, c.dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, c.dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, c.env);
        throw std::runtime_error("web database server not reachable (scripts/webdb start; "
                                 "WEBDB_* set?): " +
                                 msg);
    }
    return c;
}

void Disconnect(Conn& c) {
    if (c.dbc) {
        SQLDisconnect(c.dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, c.dbc);
    }
    if (c.env)
        SQLFreeHandle(SQL_HANDLE_ENV, c.env);
    c = Conn{};
}

void ExecOn(SQLHDBC dbc, const std::string& sql) {
    SQLHSTMT st = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
    SQLRETURN rc = ExecDirect(st, sql);
    std::string msg;
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        msg = Diag(SQL_HANDLE_STMT, st);
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    if (!msg.empty())
        throw std::runtime_error(msg + " in: " + sql);
}

// Databases left behind by test processes that died before dropping them ("nvweb-t<pid>_...").
// Done once per process; a database of a live process is never touched.
void DropStaleDatabases(SQLHDBC dbc) {
    static bool done = false;
    if (done)
        return;
    done = true;
    std::vector<std::string> stale;
    SQLHSTMT st = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
    const char* sql = "SELECT schema_name FROM information_schema.schemata "
                      "WHERE schema_name LIKE 'nvweb-t%'";
    if (SQL_SUCCEEDED(ExecDirect(st, sql))) {
        char name[256];
        SQLLEN ind = 0;
        while (SQL_SUCCEEDED(SQLFetch(st))) {
            if (!SQL_SUCCEEDED(SQLGetData(st, 1, SQL_C_CHAR, name, sizeof name, &ind)) ||
                ind == SQL_NULL_DATA)
                continue;
            int pid = std::atoi(name + 7);
            if (pid > 0 && kill(pid, 0) != 0 && errno == ESRCH)
                stale.push_back(name);
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    for (const std::string& db : stale) {
        try {
            ExecOn(dbc, "DROP DATABASE IF EXISTS `" + db + "`");
        } catch (...) {
        }
    }
}

std::string ServerConnectString(const std::string& database) {
    std::string s = "Driver=" + WebDb::Driver() + ";SERVER=" + WebDb::Host() +
                    ";PORT=" + std::to_string(WebDb::Port()) + ";UID=" + WebDb::User() +
                    ";PWD=" + WebDb::Password() + ";CHARSET=utf8mb4;CONN_TIMEOUT=5;";
    if (!database.empty())
        s += "DATABASE=" + database + ";";
    return s;
}

} // namespace

std::string WebDb::Host() {
    return Env("WEBDB_HOST", "127.0.0.1");
}
int WebDb::Port() {
    return std::atoi(Env("WEBDB_PORT", "3306").c_str());
}
std::string WebDb::User() {
    return Env("WEBDB_USER", "nvweb");
}
std::string WebDb::Password() {
    return Env("WEBDB_PASS", "nvweb-pass");
}

WebDb::WebDb() : m_suffix(UniqueSuffix()), m_name("nvweb-" + m_suffix) {
    if (!std::getenv("WEBDB_PORT"))
        throw std::runtime_error("WEBDB_PORT is not set: start the private web database with "
                                 "scripts/webdb start and eval \"$(scripts/webdb env)\"");
    std::string schemaPath = Env("CORVANE_SOURCE_DIR", SUITE_SOURCE_DIR) + "/webdb/schema.sql";
    std::ifstream in(schemaPath, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + schemaPath);
    std::stringstream ss;
    ss << in.rdbuf();

    Conn server = Connect(ServerConnectString(""));
    DropStaleDatabases(server.dbc);
    try {
        ExecOn(server.dbc, "CREATE DATABASE `" + m_name + "` CHARACTER SET utf8mb4");
    } catch (...) {
        Disconnect(server);
        throw;
    }
    Disconnect(server);

    Conn c = Connect(ConnectString());
    m_env = c.env;
    m_dbc = c.dbc;
    try {
        for (const std::string& stmt : SplitStatements(ss.str()))
            ExecOn(static_cast<SQLHDBC>(m_dbc), stmt);
    } catch (...) {
        Release(); // the destructor does not run for a throwing constructor
        throw;
    }
}

WebDb::~WebDb() {
    Release();
}

void WebDb::Release() {
    if (m_dbc) {
        try {
            ExecOn(static_cast<SQLHDBC>(m_dbc), "DROP DATABASE IF EXISTS `" + m_name + "`");
        } catch (...) {
        }
    }
    Conn c{static_cast<SQLHENV>(m_env), static_cast<SQLHDBC>(m_dbc)};
    Disconnect(c);
    m_env = nullptr;
    m_dbc = nullptr;
}

std::string WebDb::ConnectString() const {
    return ServerConnectString(m_name);
}

void WebDb::Exec(const std::string& sql) const {
    ExecOn(static_cast<SQLHDBC>(m_dbc), sql);
}

std::vector<WebDb::Row> WebDb::Query(const std::string& sql) const {
    SQLHSTMT st = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, static_cast<SQLHDBC>(m_dbc), &st);
    SQLRETURN rc = ExecDirect(st, sql);
    if (!SQL_SUCCEEDED(rc)) {
        std::string msg = Diag(SQL_HANDLE_STMT, st);
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        throw std::runtime_error(msg + " in: " + sql);
    }
    SQLSMALLINT cols = 0;
    SQLNumResultCols(st, &cols);
    // Texts are taken as the connection's UTF-8 bytes (the driver's UTF-16 fetch reports wrong
    // lengths for some texts); other values as the driver prints them.
    std::vector<bool> text;
    for (SQLUSMALLINT i = 1; i <= cols; ++i) {
        SQLLEN type = 0;
        SQLColAttributeW(st, i, SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr, &type);
        text.push_back(type == SQL_CHAR || type == SQL_VARCHAR || type == SQL_LONGVARCHAR ||
                       type == SQL_WCHAR || type == SQL_WVARCHAR || type == SQL_WLONGVARCHAR);
    }
    std::vector<Row> rows;
    char buf[4096];
    while (SQL_SUCCEEDED(SQLFetch(st))) {
        Row row;
        for (SQLUSMALLINT i = 1; i <= cols; ++i) {
            const SQLSMALLINT cType = text[i - 1] ? SQL_C_BINARY : SQL_C_CHAR;
            const size_t room = text[i - 1] ? sizeof buf : sizeof buf - 1;
            std::string value;
            bool isNull = false;
            SQLLEN ind = 0;
            for (;;) {
                rc = SQLGetData(st, i, cType, buf, sizeof buf, &ind);
                if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(rc))
                    break;
                if (ind == SQL_NULL_DATA) {
                    isNull = true;
                    break;
                }
                size_t got = (ind == SQL_NO_TOTAL || ind > static_cast<SQLLEN>(room))
                                 ? room
                                 : static_cast<size_t>(ind);
                value.append(buf, got);
                if (rc == SQL_SUCCESS)
                    break;
            }
            row.push_back(isNull ? std::nullopt
                                 : std::optional<std::string>(
                                       text[i - 1] ? platform::Utf8ToCp932(value) : value));
        }
        rows.push_back(std::move(row));
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return rows;
}

std::optional<std::string> WebDb::Scalar(const std::string& sql) const {
    auto rows = Query(sql);
    if (rows.empty() || rows[0].empty())
        return std::nullopt;
    return rows[0][0];
}

std::string WebDb::Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string h;
    for (unsigned char b : bytes) {
        h += digits[b >> 4];
        h += digits[b & 15];
    }
    return h;
}

std::string WebDb::StoredHex(const std::string& cp932) const {
    return Scalar("SELECT HEX(CONVERT(CONVERT(UNHEX('" + Hex(cp932) +
                  "') USING cp932) USING utf8mb4))")
        .value_or("<NULL>");
}
