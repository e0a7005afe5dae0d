#pragma once
// A temporary clinic for the web-to-local exchanges: a product settings file naming a fresh
// local database (its product settings file names it; the agent file is the profile file), a fresh
// web database on the private server with an open session, the real operation log and the
// cycle's context.
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "FakeClock.h"
#include "PelmoSchema.h"
#include "TempDir.h"
#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/core/AgentSettings.h"
#include "agent/sync/cycle/SyncContext.h"
#include "platform/Profile.h"

// Japan's date as the web server computes it for "today".
inline const char* const kWebToday = "DATE(CONVERT_TZ(CURRENT_TIME,'UTC','Asia/Tokyo'))";

template <std::size_t N> void Put(char (&dst)[N], std::string_view src) {
    std::memset(dst, 0, N);
    std::memcpy(dst, src.data(), std::min(src.size(), N - 1));
}

class CheckInClinic {
public:
    CheckInClinic()
        : folder(home.Path() + "db/"), session(WebDbValues(web), [](std::chrono::milliseconds) {}) {
        platform::WriteProfileString(home.File("PelmoV3.ini"), "GLOBAL", "DATABASE", folder);
        std::filesystem::create_directories(folder);
        std::string err;
        if (PelmoSchema::Create(folder, err) != 0)
            throw std::runtime_error(err);
        // The process's profile file, which the exchange must leave alone.
        AgentSettings::SetProfileFile(folder + "Apposync.ini");
        log.SetDatabaseFolder(folder);
        tables = std::make_unique<LocalTables>(folder);
        if (!session.OpenWebConnection())
            throw std::runtime_error("web database not reachable");
        ctx = std::make_unique<SyncContext>(SyncContext{.web = session,
                                                        .log = log,
                                                        .clock = clock,
                                                        .settings = settings,
                                                        .state = state,
                                                        .tables = *tables,
                                                        .databaseFolder = folder,
                                                        .entryFolder = folder + "entry/",
                                                        .clinicCode = "clinic01"});
    }

    // Runs SQL on the local database file directly (triggers that make writes fail, checks).
    void Local(const std::string& sql) const {
        sqlite3* db = nullptr;
        sqlite3_open(PelmoSchema::DatabaseFile(folder).c_str(), &db);
        char* msg = nullptr;
        int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg);
        std::string text = msg ? msg : "";
        sqlite3_free(msg);
        sqlite3_close(db);
        if (rc != SQLITE_OK)
            throw std::runtime_error(text);
    }

    // True when a log line shows this text (CP932).
    bool Logged(const std::string& text) const {
        for (const std::string& line : log.Lines())
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

    TempDir home;
    ClinicSettings settings{home.File("PelmoV3.ini")};
    std::string folder;
    WebDb web;
    WebSession session;
    FakeClock clock{{2024, 1, 5, 9, 30, 0, 0}};
    OperationLog log{clock, LocalWebLogTables()};
    EngineState state;
    std::unique_ptr<LocalTables> tables;
    std::unique_ptr<SyncContext> ctx;
};
