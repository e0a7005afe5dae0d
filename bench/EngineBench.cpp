// The engine's costs on the private web database (needs scripts/webdb running and its
// environment: eval "$(scripts/webdb env)"; the general query log is switched on through the
// server's root socket to list what the agent sends).
//   P1: N reservation entry files through one cycle, against replaying every statement the
//       agent's connection sent in that cycle through a bare ODBC loop (same texts, same order,
//       fresh tables). The entry files are written as the practice software writes them (a plain
//       write, no flush to disk). With added round-trip times (a delay relay on loopback) the
//       cycle and the replay both go through the relay, with fewer files.
//   P2: one idle cycle (no entry files, schema current): CPU time and the statements it sends,
//       alone and with the health monitor around it (entry folder listing, status file write).
//   build/bin/bench_engine [files] [delays]   (default 1000 and 0,10,30, then 100 files over a
//   delay; a given file count holds for every delay)
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <memory>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "DelayRelay.h"

#include "FakeClock.h"
#include "TempDir.h"
#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/core/ClinicSettings.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/cycle/SyncCycle.h"
#include "agent/sync/health/HealthMonitor.h"
#include "agent/sync/health/HealthStatusFile.h"
#include "agent/sync/log/OperationLog.h"
#include "outside/pelmodb/CPatientDB.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "outside/pelmodb/CReservationDB.h"
#include "outside/pelmodb/SqliteConnection.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/Profile.h"
#include "platform/SystemClock.h"

namespace {

using Clock = std::chrono::steady_clock;

template <std::size_t N> void Put(char (&dst)[N], const std::string& src) {
    std::memset(dst, 0, N);
    std::memcpy(dst, src.data(), std::min(src.size(), N - 1));
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

void RootSql(const std::string& sql) {
    const char* socket = std::getenv("WEBDB_SOCKET");
    if (!socket)
        throw std::runtime_error("WEBDB_SOCKET not set (eval \"$(scripts/webdb env)\")");
    const std::string cmd =
        std::string("mariadb --no-defaults -uroot --socket=") + socket + " -e \"" + sql + "\"";
    if (std::system(cmd.c_str()) != 0)
        throw std::runtime_error("root statement failed: " + sql);
}

// Switches the server's general query log on into a fresh file (raw statement bytes).
void StartStatementLog(const std::string& file) {
    RootSql(
        "SET GLOBAL general_log=0; SET GLOBAL log_output='FILE'; SET GLOBAL general_log_file='" +
        file + "'; SET GLOBAL general_log=1;");
}
void StopStatementLog() {
    RootSql("SET GLOBAL general_log=0;");
}

// Statements of the log file, oldest first, sent by the agent's connections: every connection
// but the helper connection `own` and the root client that switches the log, whatever the
// statements say. A line reads "<time or blanks>\t<thread id> <command>\t<argument>".
std::vector<std::string> AgentStatements(const std::string& file, const std::string& own) {
    std::string bytes;
    platform::ReadFile(file, bytes);
    std::vector<std::string> out;
    std::set<std::string> others{own};
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos)
            end = bytes.size();
        const std::string line = bytes.substr(pos, end - pos);
        pos = end + 1;
        const size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        // "<id> <command>\t<argument>" after the first tab.
        const size_t idStart = line.find_first_not_of(" \t", tab + 1);
        const size_t idEnd = line.find(' ', idStart);
        const size_t argStart = line.find('\t', idEnd);
        if (idStart == std::string::npos || idEnd == std::string::npos ||
            argStart == std::string::npos)
            continue;
        const std::string id = line.substr(idStart, idEnd - idStart);
        const size_t cmdStart = line.find_first_not_of(' ', idEnd);
        const std::string command = line.substr(cmdStart, argStart - cmdStart);
        const std::string argument = line.substr(argStart + 1);
        if (command == "Connect" && argument.rfind("root@", 0) == 0)
            others.insert(id);
        // Plain statements, and the record sets' prepared statements at their execution.
        if ((command == "Query" || command == "Execute") && !others.count(id))
            out.push_back(argument);
    }
    return out;
}

struct Clinic {
    TempDir home;
    std::string db = home.Path() + "db/";
    // As the agent holds them after start-up: the profile file settled once.
    ClinicSettings settings{home.Path() + "PelmoV3.ini", db + "Apposync.ini"};
    Clinic(int reservations) {
        platform::MakeDirs(db);
        std::string err;
        if (CPelmoDBSys::CreateDatabase(db, err) != 0)
            throw std::runtime_error(err);
        // Without a clinic code every cycle logs that the clinic's details were not sent, and an
        // idle cycle would neither be quiet nor healthy.
        if (CPelmoDBSys(db).SetClinicCode("C0042") != 0)
            throw std::runtime_error("clinic code not set");
        platform::WriteProfileString(home.Path() + "PelmoV3.ini", "GLOBAL", "DATABASE", db);
        CPatientDB p(db, 1);
        Put(p.m_rec.key, "0000004711");
        Put(p.m_rec.displayNo, "4711");
        Put(p.m_rec.name, platform::J("山田 ソ表"));
        p.Insert();
        CReservationDB r(db, 1);
        for (int i = 0; i < reservations; ++i) {
            r.ClearRecord();
            char key[11];
            std::snprintf(key, sizeof key, "%010d", 100000 + i);
            Put(r.m_rec.key, key);
            Put(r.m_rec.patientKey, "0000004711");
            Put(r.m_rec.date, "20240110");
            Put(r.m_rec.start, "1000");
            Put(r.m_rec.end, "1030");
            Put(r.m_rec.unit, "1");
            Put(r.m_rec.doctor, "D1");
            r.Insert(1);
        }
    }
    void DropEntries(int count) const {
        const std::string folder = db + "EntryToWeb/";
        platform::MakeDirs(folder);
        const auto old = std::time(nullptr) - 60;
        for (int i = 0; i < count; ++i) {
            char key[11];
            std::snprintf(key, sizeof key, "%010d", 100000 + i);
            const std::string path = folder + key + ".txt";
            // As the practice software drops them: written and closed, not flushed to disk.
            const std::string bytes = std::string("INSERT\r\nRegNo=") + key + "\r\n";
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
                throw std::runtime_error("cannot write " + path);
            ::close(fd);
            timespec t[2] = {{old, 0}, {old, 0}};
            utimensat(AT_FDCWD, path.c_str(), t, 0);
        }
    }
};

// Runs the statements through a bare ODBC loop; SELECTs are fetched to the end.
Clock::duration Replay(const WebDb& db, const std::string& connect,
                       const std::vector<std::string>& statements) {
    SQLHENV env;
    SQLHDBC dbc;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    (void)db;
    // The session talks UTF-16 to the driver over a utf8mb4 connection; so does the bare loop,
    // with the texts converted before the clock starts.
    std::u16string wideConnect = platform::Cp932ToUtf16(connect);
    if (!SQL_SUCCEEDED(SQLDriverConnectW(dbc, nullptr, (SQLWCHAR*)wideConnect.c_str(), SQL_NTS,
                                         nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)))
        throw std::runtime_error("bare connect failed");
    std::vector<std::u16string> wide;
    for (const std::string& s : statements)
        wide.push_back(platform::Cp932ToUtf16(s));
    const auto t0 = Clock::now();
    for (size_t i = 0; i < wide.size(); ++i) {
        const std::string& s = statements[i];
        SQLHSTMT st;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
        if (!SQL_SUCCEEDED(
                SQLExecDirectW(st, (SQLWCHAR*)wide[i].c_str(), (SQLINTEGER)wide[i].size()))) {
            SQLCHAR state[6] = {}, text[512] = {};
            SQLINTEGER native = 0;
            SQLSMALLINT len = 0;
            SQLGetDiagRec(SQL_HANDLE_STMT, st, 1, state, &native, text, sizeof text, &len);
            throw std::runtime_error("bare statement failed: " + s + ": " +
                                     reinterpret_cast<char*>(text));
        }
        while (SQL_SUCCEEDED(SQLFetch(st))) {
        }
        SQLFreeHandle(SQL_HANDLE_STMT, st);
    }
    const auto d = Clock::now() - t0;
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return d;
}

struct EntryFigures {
    int files = 0;
    std::string rows;
    std::size_t statements = 0;
    long sends = -1; // through the relay, when there is one
    long roundTrips = -1;
    Clock::duration cycle{};
    double cpu = 0;
    Clock::duration replay{};
};

// One cycle over `files` entry files on a fresh web database, reached through `relay` when
// given, and the bare replay of every statement the agent's connection sent, over the same way.
EntryFigures EntryCycle(int files, const DelayRelay* relay) {
    Clinic clinic(files);
    WebDb web;
    WebConnectionValues values = WebDbValues(web);
    if (relay) {
        values.host = "127.0.0.1";
        values.port = relay->Port();
    }
    OperationLog log(platform::SystemClock::Instance(), {});
    EngineState state;
    WebSession session(values);
    SyncCycle cycle(clinic.settings, session, log, platform::SystemClock::Instance(), state);
    if (!cycle.Run().completed) // brings the schema up
        throw std::runtime_error("first cycle did not complete");
    const std::string own = web.Scalar("SELECT CONNECTION_ID()").value_or("0");

    EntryFigures f;
    f.files = files;
    clinic.DropEntries(files);
    const std::string entryLog = clinic.home.Path() + "entries.log";
    StartStatementLog(entryLog);
    const long sends1 = relay ? relay->ClientSends() : 0;
    const long trips1 = relay ? relay->RoundTrips() : 0;
    const double cpu1 = CpuSeconds();
    const auto t1 = Clock::now();
    const CycleOutcome out = cycle.Run();
    f.cycle = Clock::now() - t1;
    f.cpu = CpuSeconds() - cpu1;
    if (relay) {
        f.sends = relay->ClientSends() - sends1;
        f.roundTrips = relay->RoundTrips() - trips1;
    }
    StopStatementLog();
    if (!out.completed)
        throw std::runtime_error("entry cycle did not complete");
    f.rows = web.Scalar("SELECT COUNT(*) FROM appointments").value_or("0");
    const std::vector<std::string> sent = AgentStatements(entryLog, own);
    f.statements = sent.size();

    web.Exec("DELETE FROM appointments");
    web.Exec("DELETE FROM first_appointments");
    f.replay = Replay(web, session.ConnectString(), sent);
    return f;
}

void PrintEntries(const EntryFigures& f, int roundTripMs) {
    std::printf("P1: %d reservation entry files through one cycle (private MariaDB, 127.0.0.1, "
                "+%d ms round trip)\n",
                f.files, roundTripMs);
    std::printf("  rows published              %s\n", f.rows.c_str());
    std::printf("  statements (general log)    %zu, %.2f per file\n", f.statements,
                double(f.statements) / f.files);
    if (f.sends >= 0)
        std::printf("  client sends (relay)        %ld, %.2f per file; round trips %ld, %.2f per "
                    "file\n",
                    f.sends, double(f.sends) / f.files, f.roundTrips,
                    double(f.roundTrips) / f.files);
    std::printf("  cycle                       %.3f s wall, %.2f ms per file; CPU %.3f s, %.3f ms "
                "per file\n",
                Seconds(f.cycle), 1000 * Seconds(f.cycle) / f.files, f.cpu, 1000 * f.cpu / f.files);
    std::printf("  bare ODBC replay (all)      %.3f s\n", Seconds(f.replay));
    std::printf("  ratio cycle / full replay   %.2f\n", Seconds(f.cycle) / Seconds(f.replay));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const bool filesGiven = argc > 1;
    const int files = filesGiven ? std::atoi(argv[1]) : 1000;
    std::vector<int> delays;
    {
        std::stringstream list(argc > 2 ? argv[2] : "0,10,30");
        for (std::string d; std::getline(list, d, ',');)
            delays.push_back(std::atoi(d.c_str()));
    }
    try {
        for (int delay : delays) {
            std::unique_ptr<DelayRelay> relay;
            if (delay > 0)
                relay = std::make_unique<DelayRelay>(WebDb::Host(), WebDb::Port(), delay);
            PrintEntries(
                EntryCycle(delay > 0 && !filesGiven ? std::min(files, 100) : files, relay.get()),
                delay);
        }

        // P2: idle cycles.
        Clinic clinic(1);
        WebDb web;
        OperationLog log(platform::SystemClock::Instance(), {});
        EngineState state;
        WebSession session(WebDbValues(web));
        SyncCycle cycle(clinic.settings, session, log, platform::SystemClock::Instance(), state);
        if (!cycle.Run().completed)
            throw std::runtime_error("first cycle did not complete");

        // P2: idle cycles, alone and as the running agent brackets them with its health monitor,
        // taken in turns so that the load of a shared machine falls on both alike. The monitor
        // sees the agent's time, 3 seconds a cycle, so it renews the status file as often as in
        // a running agent (every fifth cycle), not once for the whole back-to-back run.
        FakeClock agentTime;
        agentTime.SetInstant(std::chrono::system_clock::now());
        const std::string statusFile = HealthStatusFile::PathIn(clinic.db);
        HealthMonitor health(log, session, state, agentTime, HealthThresholds{}, statusFile, 1);
        const int idleRuns = 100;
        double idleCpu = 0, idleWall = 0, healthCpu = 0, healthWall = 0, monitorWall = 0;
        int statusWrites = 0;
        long long idleOpens = 0;               // of the local database file
        double writingWall = 0, quietWall = 0; // the monitor's own, cycles with and without a write
        timespec lastWrite{};
        for (int i = 0; i < idleRuns; ++i) {
            double cpu = CpuSeconds();
            auto wall = Clock::now();
            const long long opensBefore = SqliteConnection::OpenCount();
            cycle.Run();
            idleOpens += SqliteConnection::OpenCount() - opensBefore;
            idleCpu += (CpuSeconds() - cpu) / idleRuns;
            idleWall += Seconds(Clock::now() - wall) / idleRuns;
            cpu = CpuSeconds();
            wall = Clock::now();
            agentTime.Advance(std::chrono::seconds(3));
            health.CycleStarting();
            const CycleOutcome done = cycle.Run();
            const auto ended = Clock::now();
            health.CycleEnded(done);
            const double own = Seconds(Clock::now() - ended);
            monitorWall += own / idleRuns;
            healthCpu += (CpuSeconds() - cpu) / idleRuns;
            healthWall += Seconds(Clock::now() - wall) / idleRuns;
            struct stat st {};
            if (stat(statusFile.c_str(), &st) == 0 && (st.st_mtim.tv_sec != lastWrite.tv_sec ||
                                                       st.st_mtim.tv_nsec != lastWrite.tv_nsec)) {
                ++statusWrites;
                lastWrite = st.st_mtim;
                writingWall += own;
            } else {
                quietWall += own;
            }
        }
        if (health.Current().state != HealthState::Normal)
            throw std::runtime_error("idle cycles not healthy: " +
                                     platform::Cp932ToUtf8(health.Current().Text()));
        const std::string own = web.Scalar("SELECT CONNECTION_ID()").value_or("0");
        const std::string idleLog = clinic.home.Path() + "idle.log";
        StartStatementLog(idleLog);
        cycle.Run();
        StopStatementLog();
        const std::vector<std::string> idleStatements = AgentStatements(idleLog, own);

        std::printf("P2: one idle cycle (mean of %d)\n", idleRuns);
        std::printf("  CPU                         %.2f ms\n", 1000 * idleCpu);
        std::printf("  wall                        %.2f ms\n", 1000 * idleWall);
        std::printf("  local database opens        %.2f\n",
                    static_cast<double>(idleOpens) / idleRuns);
        std::printf(
            "  with the health monitor     %.2f ms CPU (%+.1f %%), %.2f ms wall (%+.1f %%)\n",
            1000 * healthCpu, 100 * (healthCpu / idleCpu - 1), 1000 * healthWall,
            100 * (healthWall / idleWall - 1));
        std::printf("  of it the monitor's own     %.3f ms wall (%.1f %% of an idle cycle), "
                    "%d status file writes\n",
                    1000 * monitorWall, 100 * monitorWall / idleWall, statusWrites);
        if (statusWrites > 0 && statusWrites < idleRuns)
            std::printf("    after a cycle with a write %.3f ms, without %.3f ms\n",
                        1000 * writingWall / statusWrites,
                        1000 * quietWall / (idleRuns - statusWrites));
        std::printf("  statements sent             %zu\n", idleStatements.size());
        for (const std::string& s : idleStatements)
            std::printf("    %s\n", platform::Cp932ToUtf8(s).c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench failed: %s\n", e.what());
        try {
            StopStatementLog();
        } catch (...) {
        }
        return 1;
    }
    return 0;
}
