#include "LocalConnections.h"

#include "SqliteConnection.h"

#include <sys/stat.h>

#include <iterator>
#include <unordered_map>

namespace {
struct Shared {
    std::weak_ptr<SqliteConnection> conn;
    dev_t device = 0;
    ino_t inode = 0;
};

// Per thread: the connections open without a mutex of their own.
thread_local std::unordered_map<std::string, Shared> t_shared;
} // namespace

std::shared_ptr<SqliteConnection> LocalConnections::Get(const std::string& dbFile,
                                                        std::string& err) {
    struct stat st {};
    const bool found = ::stat(dbFile.c_str(), &st) == 0;
    auto it = t_shared.find(dbFile);
    if (it != t_shared.end()) {
        // An open connection pins its inode, so the same device and inode is the same file.
        std::shared_ptr<SqliteConnection> live = it->second.conn.lock();
        if (live && found && st.st_dev == it->second.device && st.st_ino == it->second.inode) {
            if (!live->InTransaction())
                return live;
            return SqliteConnection::Open(dbFile, false, err);
        }
        t_shared.erase(it);
    }
    std::shared_ptr<SqliteConnection> conn = SqliteConnection::Open(dbFile, false, err);
    if (conn && found) {
        // Folders of closed connections (temporary ones, a changed setting) are not kept.
        for (auto e = t_shared.begin(); e != t_shared.end();)
            e = e->second.conn.expired() ? t_shared.erase(e) : std::next(e);
        t_shared[dbFile] = Shared{conn, st.st_dev, st.st_ino};
    }
    return conn;
}
