#pragma once
// Rows of one web table written a batch at a time, for the bulk sends: one SELECT tells which
// rows exist, one UPDATE writes those, one multi-row INSERT adds the rest. Every row is found and
// matched with the same "key column = literal" comparison the one-by-one statements use, so the
// table ends up exactly as those would leave it; no unique key of the table is relied on.
//
// A row whose key the server might match against another row's key in the same batch (NULL,
// non-ASCII or control bytes, or equal when case and trailing blanks are ignored) must not share
// a batch: see BatchKey. Such rows go by themselves with the one-by-one statements.
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CDatabase;

class BulkRows {
public:
    struct Table {
        std::string name;
        std::vector<std::string> keyColumns;
        std::vector<std::string> valueColumns; // written by the UPDATE; after the keys in INSERT
    };

    enum class State {
        Waiting, // not written yet
        Added,   // written; the first look found no row for it
        Updated, // written; the first look found its row
        Alone,   // a statement refused the batch: send it by itself
    };

    struct Row {
        std::vector<std::string> keys;   // SQL literals in keyColumns order
        std::vector<std::string> values; // SQL literals in valueColumns order
        State state = State::Waiting;
        std::optional<bool> existed; // what the first look found; counts stay by it on a retry
    };

    // The text two rows share when the server may take their keys as equal; nullopt when that
    // cannot be told from the bytes (the row must go by itself).
    static std::optional<std::string> BatchKey(const Row& row);

    explicit BulkRows(Table table) : m_table(std::move(table)) {}

    // Writes the Waiting rows (REQUIRES: their BatchKeys present and distinct) and sets their
    // state. A statement the server refuses leaves its rows Alone (the one-by-one statements then
    // tell which record is at fault). Throws the CDBException of a lost connection only; rows
    // written before it are Added or Updated, the rest stay Waiting for a retry. `between`
    // (may be empty) runs after each statement, so a window stays alive on a slow line.
    void Send(CDatabase& db, std::vector<Row>& rows, const std::function<void()>& between) const;

    // The statements, for the tests and the benches.
    std::string ExistsStatement(const std::vector<const Row*>& rows) const;
    std::string UpdateStatement(const std::vector<const Row*>& rows) const;
    std::string InsertStatement(const std::vector<const Row*>& rows) const;

private:
    std::string Match(const Row& row) const; // key1=lit1 AND key2=lit2

    Table m_table;
};
