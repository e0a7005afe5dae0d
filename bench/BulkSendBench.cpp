// Sending all patients (the bulk command) to the private web database: patients per second and
// web statements per patient, first into empty tables (every row added), then again (every row
// updated). Needs scripts/webdb running and its environment: eval "$(scripts/webdb env)".
//   build/bin/bench_bulk_send [patients]   (default 10000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "TempDir.h"
#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/core/AgentSettings.h"
#include "agent/core/SystemClock.h"
#include "agent/core/WebSession.h"
#include "agent/sync/BulkSend.h"
#include "agent/sync/OperationLog.h"
#include "outside/pelmodb/CPatientDB.h"
#include "outside/pelmodb/CPatientDB2.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/Profile.h"

namespace {

using Clock = std::chrono::steady_clock;

template <std::size_t N> void Put(char (&dst)[N], const std::string& src) {
    std::memset(dst, 0, N);
    std::memcpy(dst, src.data(), std::min(src.size(), N - 1));
}

long Status(const WebDb& db, const char* name) {
    for (const WebDb::Row& row : db.Query(std::string("SHOW GLOBAL STATUS LIKE '") + name + "'"))
        if (row.size() > 1 && row[1])
            return std::stol(*row[1]);
    return 0;
}

long WebStatements(const WebDb& db) {
    return Status(db, "Com_select") + Status(db, "Com_insert") + Status(db, "Com_update");
}

void Pass(const char* label, BulkSend& bulk, const std::string& folder, const WebDb& db,
          int patients) {
    const long before = WebStatements(db);
    const auto start = Clock::now();
    const BulkSend::Result r = bulk.SendAllPatients(folder);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long statements = WebStatements(db) - before;
    std::printf("%-8s %6d patients in %7.2f s: %8.1f patients/s, %.2f web statements per patient "
                "(added %d, updated %d, failed %d)\n",
                label, patients, seconds, patients / seconds,
                static_cast<double>(statements) / patients, r.added, r.updated, r.failed);
}

} // namespace

int main(int argc, char** argv) {
    const int patients = argc > 1 ? std::atoi(argv[1]) : 10000;
    TempDir home;
    setenv("CORVANE_HOME", home.Path().c_str(), 1);
    const std::string folder = home.Path() + "db/";
    platform::MakeDirs(folder);
    std::string err;
    if (CPelmoDBSys::CreateDatabase(folder, err) != 0) {
        std::fprintf(stderr, "cannot create the clinic database: %s\n", err.c_str());
        return 1;
    }
    platform::WriteProfileString(home.Path() + "PelmoV3.ini", "GLOBAL", "DATABASE", folder);
    AgentSettings::SetProfileFile("");
    CPelmoDBSys(folder).SetEntryFolder(folder + "EntryToWeb/");

    const auto fillStart = Clock::now();
    CPatientDB p(folder, 1);
    CPatientDB2 p2(folder, 1);
    for (int i = 1; i <= patients; ++i) {
        char key[11];
        std::snprintf(key, sizeof key, "%010d", i);
        p.ClearRecord();
        Put(p.m_rec.key, key);
        Put(p.m_rec.displayNo, std::to_string(i) + " " + platform::J("山田"));
        Put(p.m_rec.name, platform::J("山田 太郎") + std::to_string(i));
        Put(p.m_rec.kana, platform::J("ヤマダ タロウ"));
        Put(p.m_rec.birthday, "19800102");
        Put(p.m_rec.tel, "0312345678");
        Put(p.m_rec.comment, platform::J("表示ソ能のコメント"));
        if (p.Insert() != 0) {
            std::fprintf(stderr, "insert failed: %s\n", p.GetLastDBErr().c_str());
            return 1;
        }
        if (i % 3 == 0) {
            p2.ClearRecord();
            Put(p2.m_rec.key, key);
            Put(p2.m_rec.characteristic, platform::J("ペニシリン"));
            p2.Insert();
        }
    }
    std::printf("local clinic with %d patients made in %.1f s\n", patients,
                std::chrono::duration<double>(Clock::now() - fillStart).count());
    AgentSettings::Set(settingkeys::kShowIdCut, 1);

    WebDb db;
    WebSession web(WebDbValues(db));
    OperationLog log(SystemClock::Instance(), {});
    BulkSend bulk(web, log, {});
    Pass("added", bulk, folder, db, patients);
    Pass("updated", bulk, folder, db, patients);
    return 0;
}
