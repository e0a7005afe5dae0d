// The bulk commands (send all patients, send all memos) against the private web database, in
// batches and record by record, first into empty tables (every row added), then again (every
// row updated), with 0, 10 and 30 ms added round-trip time through a delay relay, as a clinic on
// a distant database sees it. Record by record over a delay runs a sample of the records and
// projects the whole. At 0 ms both ways run in full and their tables are compared. Needs
// scripts/webdb running and its environment: eval "$(scripts/webdb env)".
//   build/bin/bench_bulk_send [records] [delays]   (default 10000 and 0,10,30)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "DelayRelay.h"
#include "TempDir.h"
#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/core/ClinicSettings.h"
#include "agent/core/WebSession.h"
#include "agent/sync/bulk/BulkSend.h"
#include "agent/sync/log/OperationLog.h"
#include "outside/pelmodb/CMemoDB.h"
#include "outside/pelmodb/CPatientDB.h"
#include "outside/pelmodb/CPatientDB2.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/Profile.h"
#include "platform/SystemClock.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSample = 300; // records sent record by record over a delay

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

bool MakeClinic(const std::string& folder, int records) {
    CPatientDB p(folder, 1);
    CPatientDB2 p2(folder, 1);
    CMemoDB m(folder, 1);
    for (int i = 1; i <= records; ++i) {
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
            return false;
        }
        if (i % 3 == 0) {
            p2.ClearRecord();
            Put(p2.m_rec.key, key);
            Put(p2.m_rec.characteristic, platform::J("ペニシリン"));
            p2.Insert();
        }
        m.ClearRecord();
        std::snprintf(key, sizeof key, "%010d", (i + 1) / 2);
        Put(m.m_rec.patientKey, key);
        Put(m.m_rec.memoNo, std::to_string(i));
        Put(m.m_rec.date, "20240103");
        Put(m.m_rec.text, platform::J("メモ 表示ソ能 ") + std::to_string(i));
        if (m.Insert() != 0) {
            std::fprintf(stderr, "memo insert failed: %s\n", m.GetLastDBErr().c_str());
            return false;
        }
    }
    return true;
}

struct Run {
    const char* what;    // patients or memos
    const char* pass;    // added or updated
    const char* way;     // batched or one by one
    int roundTripMs = 0; // added
};

void Pass(const Run& run, BulkSend& bulk, int* sent, const std::string& folder, const WebDb& db,
          int records, bool sample) {
    const long before = WebStatements(db);
    const auto start = Clock::now();
    *sent = 0;
    const BulkSend::Result r = std::strcmp(run.what, "patients") == 0 ? bulk.SendAllPatients(folder)
                                                                      : bulk.SendAllMemos(folder);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long statements = WebStatements(db) - before;
    const int done = r.added + r.updated + r.failed;
    const double whole = done ? seconds * records / done : 0;
    std::printf("%-8s %-7s %-11s +%2d ms: %6d in %7.2f s%s %8.1f /s, %.3f statements each "
                "(added %d, updated %d, failed %d)\n",
                run.what, run.pass, run.way, run.roundTripMs, done, seconds,
                sample ? (" (" + std::to_string(records) + " in " +
                          std::to_string(static_cast<int>(whole + 0.5)) + " s projected),")
                             .c_str()
                       : ",",
                done / seconds, done ? static_cast<double>(statements) / done : 0, r.added,
                r.updated, r.failed);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const int records = argc > 1 ? std::atoi(argv[1]) : 10000;
    std::vector<int> delays;
    {
        std::stringstream list(argc > 2 ? argv[2] : "0,10,30");
        for (std::string d; std::getline(list, d, ',');)
            delays.push_back(std::atoi(d.c_str()));
    }
    TempDir home;
    const std::string folder = home.Path() + "db/";
    platform::MakeDirs(folder);
    std::string err;
    if (CPelmoDBSys::CreateDatabase(folder, err) != 0) {
        std::fprintf(stderr, "cannot create the clinic database: %s\n", err.c_str());
        return 1;
    }
    platform::WriteProfileString(home.Path() + "PelmoV3.ini", "GLOBAL", "DATABASE", folder);
    const ClinicSettings settings(home.Path() + "PelmoV3.ini");
    CPelmoDBSys(folder).SetEntryFolder(folder + "EntryToWeb/");
    const auto fillStart = Clock::now();
    if (!MakeClinic(folder, records))
        return 1;
    std::printf("local clinic with %d patients and %d memos made in %.1f s\n", records, records,
                std::chrono::duration<double>(Clock::now() - fillStart).count());
    settings.Set(settingkeys::kShowIdCut, 1);

    for (int delay : delays) {
        std::unique_ptr<DelayRelay> relay;
        if (delay > 0)
            relay = std::make_unique<DelayRelay>(WebDb::Host(), WebDb::Port(), delay);
        std::vector<std::unique_ptr<WebDb>> tables;
        for (const bool batched : {false, true}) {
            tables.push_back(std::make_unique<WebDb>());
            const WebDb& db = *tables.back();
            WebConnectionValues values = WebDbValues(db);
            if (relay) {
                values.host = "127.0.0.1";
                values.port = relay->Port();
            }
            WebSession web(values);
            OperationLog log(platform::SystemClock::Instance(), {});
            int sent = 0;
            const bool sample = !batched && delay > 0;
            BulkSend::Hooks hooks;
            hooks.progress = [&](int current, int) { sent = current; };
            if (sample)
                hooks.stopRequested = [&] { return sent >= kSample; };
            BulkSend bulk(settings, web, log, hooks);
            bulk.SetBatchRows(batched ? BulkSend::kBatchRows : 1);
            const char* way = batched ? "batched" : "one by one";
            for (const char* what : {"patients", "memos"})
                for (const char* pass : {"added", "updated"})
                    Pass({what, pass, way, delay}, bulk, &sent, folder, db, records, sample);
        }
        if (delay == 0 && tables.size() == 2) {
            const char* patientColumns =
                "patient_key,patient_id,patient_name,patient_name_kana,patient_birthday,"
                "patient_tel,patient_comment,patient_characteristic";
            const char* memoColumns = "patient_key,treatment_id,date,memo";
            bool same = true;
            for (const auto& [table, columns] :
                 {std::pair{"patient_infos", patientColumns}, std::pair{"memo", memoColumns}})
                same = same && tables[0]->Query(std::string("SELECT ") + columns + " FROM " +
                                                table + " ORDER BY id") ==
                                   tables[1]->Query(std::string("SELECT ") + columns + " FROM " +
                                                    table + " ORDER BY id");
            std::printf("one by one and batched tables identical column by column: %s\n",
                        same ? "yes" : "NO");
        }
    }
    return 0;
}
