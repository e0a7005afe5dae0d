#pragma once
// The connections this thread has open to clinic database files, so that everything a cycle, a
// dialog or a kiosk scan reads opens the file once: while any holder keeps a connection alive,
// the next one asking for the same file on this thread gets it too. It closes when its last
// holder lets go, exactly as a connection of one's own would (the file is checkpointed and left
// alone between cycles). A file replaced under the same path (another device or inode) gets a
// new connection.
#include <memory>
#include <string>

class SqliteConnection;

class LocalConnections {
public:
    // The live connection of this thread to dbFile, else a newly opened one (null with err set
    // when it cannot be opened). A connection inside a write transaction is never handed out:
    // whoever asks then gets a connection of its own, which waits for that transaction's lock.
    static std::shared_ptr<SqliteConnection> Get(const std::string& dbFile, std::string& err);
};
