// Statements per second on the private web database: through the web session's ExecuteSQL and
// through a bare ODBC loop with the same statement texts. This pair is the floor that the sync
// benchmarks are measured against.
//   eval "$(scripts/webdb env)"; build/bin/bench_web_statements [count]
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/core/WebSession.h"
#include "platform/Cp932.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> Statements(const char* table, int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        out.push_back(std::string("INSERT INTO ") + table +
                      "(appo_key,patient_key,patient_name,appo_date,appo_start_time,status_flag) "
                      "VALUES(" +
                      SqlText(std::to_string(1000000 + i)) + "," + SqlText("0000004711") + "," +
                      SqlText(platform::J("予約 表示ソ")) + "," + SqlDate("20240105") + "," +
                      SqlTime("0930") + ",4)");
    }
    return out;
}

double PerSecond(int count, Clock::duration d) {
    return count / std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 3000;
    try {
        WebDb db;
        db.Exec("CREATE TABLE bare_appointments LIKE appointments");

        WebSession session(WebDbValues(db));
        if (!session.OpenWebConnection()) {
            std::fprintf(stderr, "cannot connect\n");
            return 1;
        }
        auto viaSession = Statements("appointments", count);
        auto t0 = Clock::now();
        for (const auto& s : viaSession)
            session.Database().ExecuteSQL(s);
        auto sessionTime = Clock::now() - t0;

        SQLHENV env;
        SQLHDBC dbc;
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        // The same wide calls over the same utf8mb4 connection as the session, with the texts
        // converted before the clock starts: the difference is the session's own cost.
        std::u16string cs = platform::Cp932ToUtf16(session.ConnectString());
        if (!SQL_SUCCEEDED(SQLDriverConnectW(dbc, nullptr, (SQLWCHAR*)cs.c_str(), SQL_NTS, nullptr,
                                             0, nullptr, SQL_DRIVER_NOPROMPT))) {
            std::fprintf(stderr, "bare connect failed\n");
            return 1;
        }
        std::vector<std::u16string> bare;
        for (const auto& s : Statements("bare_appointments", count))
            bare.push_back(platform::Cp932ToUtf16(s));
        t0 = Clock::now();
        for (const auto& s : bare) {
            SQLHSTMT st;
            SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
            if (!SQL_SUCCEEDED(SQLExecDirectW(st, (SQLWCHAR*)s.c_str(), (SQLINTEGER)s.size()))) {
                std::fprintf(stderr, "bare statement failed\n");
                return 1;
            }
            SQLFreeHandle(SQL_HANDLE_STMT, st);
        }
        auto bareTime = Clock::now() - t0;

        // Reads: one keyed SELECT per row, as the exchanges do before deciding UPDATE or INSERT.
        const int reads = count < 1000 ? count : 1000;
        t0 = Clock::now();
        for (int i = 0; i < reads; ++i) {
            CRecordset rs(&session.Database());
            rs.Open(CRecordset::forwardOnly,
                    "SELECT * FROM appointments WHERE appo_key=" +
                        SqlText(std::to_string(1000000 + i)),
                    CRecordset::readOnly);
            if (rs.IsEOF() || GetFieldText(rs, "appo_key").empty())
                return 1;
        }
        auto readTime = Clock::now() - t0;

        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);

        std::printf("web statements, %d INSERTs each, private MariaDB on 127.0.0.1\n", count);
        std::printf("  ExecuteSQL (web session)   %8.0f statements/s\n",
                    PerSecond(count, sessionTime));
        std::printf("  bare ODBC loop             %8.0f statements/s\n",
                    PerSecond(count, bareTime));
        std::printf("  keyed SELECT via CRecordset %7.0f queries/s (%d)\n",
                    PerSecond(reads, readTime), reads);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
