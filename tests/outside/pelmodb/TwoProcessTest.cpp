// Processes sharing one database file: writes are not lost, keys are not shared, and no caller
// ever sees a busy error.
#include "CIndexControlDB.h"
#include "CReservationDB.h"
#include "CWebLogDB.h"
#include "PelmoTestDb.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kRounds = 150;

// Each child reports through a file of lines and its exit status (0 = every call succeeded).
int Writer(const std::string& folder, const std::string& report) {
    std::ofstream out(report);
    CReservationDB res(folder, 1);
    CIndexControlDB index(folder, 1);
    CWebLogDB log(folder);
    for (int i = 0; i < kRounds; ++i) {
        std::string key = index.GetNexReservationIndex();
        if (key.empty() || index.UpdateNext() != 0)
            return 10;
        res.ClearRecord();
        Put(res.m_rec.key, key);
        Put(res.m_rec.patientKey, "0000000001");
        Put(res.m_rec.date, "20250501");
        char start[8];
        std::snprintf(start, sizeof start, "%02d%02d", 8 + i / 60, i % 60);
        Put(res.m_rec.start, start);
        Put(res.m_rec.unit, "1");
        if (res.Insert(1) != 0)
            return 11;
        out << key << "\n";
        log.ClearRecord();
        std::snprintf(log.m_rec.number, sizeof log.m_rec.number, "20250501%05d",
                      log.GetLastWebLogNo("20250501"));
        Put(log.m_rec.message, "[Info]writer");
        if (log.Insert() != 0)
            return 12;
    }
    return 0;
}

int KeyTaker(const std::string& folder, const std::string& report) {
    std::ofstream out(report);
    CIndexControlDB index(folder, 1);
    CWebLogDB log(folder);
    for (int i = 0; i < kRounds; ++i) {
        std::string key = index.GetNexReservationIndex();
        if (key.size() != 10 || index.UpdateNext() != 0)
            return 20;
        out << key << "\n";
        log.ClearRecord();
        std::snprintf(log.m_rec.number, sizeof log.m_rec.number, "20250501%05d",
                      log.GetLastWebLogNo("20250501"));
        Put(log.m_rec.message, "[Info]taker");
        if (log.Insert() != 0)
            return 21;
    }
    return 0;
}

// Walks unit 1's reservations of the day on key 4 until the writer is done; the walk must be
// in start order and end with end of file, never an error.
int Reader(const std::string& folder, const std::string& doneFlag) {
    CReservationDB res(folder, 0);
    char key[18] = {'1'};
    std::memcpy(key + 4, "20250501", 8);
    res.SetKey(4);
    for (int pass = 0;; ++pass) {
        bool last = access(doneFlag.c_str(), F_OK) == 0;
        res.SetKeyBuffer(key, sizeof key);
        std::string previous;
        int rc = res.GetGREQ();
        for (; rc == 0; rc = res.GetNEXT()) {
            if (std::string(res.m_rec.start) < previous)
                return 30;
            previous = res.m_rec.start;
        }
        if (rc != 9)
            return 31;
        if (last && pass > 0)
            return 0;
    }
}

int Spawn(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    return pid;
}

int Wait(pid_t pid) {
    int ws = 0;
    waitpid(pid, &ws, 0);
    return WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

} // namespace

TEST(TwoProcesses, WriterReaderAndKeyTakerShareTheDatabase) {
    PelmoTestDb db;
    TempDir scratch;
    std::string writerReport = scratch.File("writer"), takerReport = scratch.File("taker");
    std::string done = scratch.File("done");
    pid_t reader = Spawn([&] { return Reader(db.Folder(), done); });
    pid_t writer = Spawn([&] { return Writer(db.Folder(), writerReport); });
    pid_t taker = Spawn([&] { return KeyTaker(db.Folder(), takerReport); });
    EXPECT_EQ(Wait(writer), 0);
    EXPECT_EQ(Wait(taker), 0);
    std::ofstream(done).put('x');
    EXPECT_EQ(Wait(reader), 0);

    std::vector<std::string> written = ReadLines(writerReport);
    std::vector<std::string> taken = ReadLines(takerReport);
    ASSERT_EQ(written.size(), static_cast<std::size_t>(kRounds));
    ASSERT_EQ(taken.size(), static_cast<std::size_t>(kRounds));
    std::set<std::string> all(written.begin(), written.end());
    all.insert(taken.begin(), taken.end());
    EXPECT_EQ(all.size(), 2u * kRounds) << "a key was handed out twice";

    CReservationDB res(db.Folder(), 0);
    EXPECT_EQ(res.GetRecordCount(), kRounds);
    for (const std::string& k : written)
        EXPECT_EQ(res.GetReservationData(k), 0) << "lost write " << k;
    CWebLogDB log(db.Folder());
    EXPECT_EQ(log.GetRecordCount(), 2 * kRounds) << "a log record was lost to a number clash";
}
