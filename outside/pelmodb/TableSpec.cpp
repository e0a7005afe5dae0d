#include "TableSpec.h"

#include "platform/Cp932.h"

#include <algorithm>
#include <cstring>

std::size_t TableSpec::Key::Length() const {
    std::size_t n = 0;
    for (const Segment& s : segments)
        n += s.size;
    return n;
}

const TableSpec::Key* TableSpec::FindKey(int number) const {
    for (const Key& k : keys)
        if (k.number == number)
            return &k;
    return nullptr;
}

const TableSpec::Field* TableSpec::FindField(const std::string& name) const {
    for (const Field& f : fields)
        if (name == f.name)
            return &f;
    return nullptr;
}

std::vector<std::string> TableSpec::KeyColumns() const {
    std::vector<std::string> cols;
    for (const Key& k : keys) {
        bool seen = false;
        for (const std::string& c : cols)
            seen = seen || c == k.column;
        if (!seen)
            cols.push_back(k.column);
    }
    return cols;
}

std::string TableSpec::SchemaSql() const {
    std::string sql = "CREATE TABLE IF NOT EXISTS " + table + " (";
    std::vector<std::string> cols = KeyColumns();
    for (std::size_t i = 0; i < cols.size(); ++i)
        sql += cols[i] + (i == 0 ? " BLOB NOT NULL PRIMARY KEY, " : " BLOB NOT NULL, ");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        sql += std::string(fields[i].name) + (fields[i].kind == Kind::Text
                                                  ? " TEXT NOT NULL DEFAULT ''"
                                                  : " INTEGER NOT NULL DEFAULT 0");
        sql += i + 1 < fields.size() ? ", " : ");\n";
    }
    for (std::size_t i = 1; i < cols.size(); ++i)
        sql += "CREATE INDEX IF NOT EXISTS " + table + "_" + cols[i] + " ON " + table + "(" +
               cols[i] + ", " + cols[0] + ");\n";
    sql += "INSERT OR IGNORE INTO pelmo_file_times(name, changed) VALUES('" + table + "', 0);\n";
    static const char* const kEvents[] = {"INSERT", "UPDATE", "DELETE"};
    for (const char* ev : kEvents) {
        sql += "CREATE TRIGGER IF NOT EXISTS " + table + "_time_" + ev + " AFTER " + ev + " ON " +
               table +
               " BEGIN UPDATE pelmo_file_times SET changed = MAX(changed + 1, "
               "CAST((julianday('now') - 2440587.5) * 86400000 AS INTEGER)) WHERE name = '" +
               table + "'; END;\n";
    }
    return sql;
}

void TableSpec::Normalize(void* record) const {
    char* base = static_cast<char*>(record);
    for (const Field& f : fields) {
        if (f.kind != Kind::Text)
            continue;
        char* p = base + f.offset;
        std::size_t len = strnlen(p, f.size);
        if (len == f.size) // no room for the NUL: drop the last character, whole
            len = platform::Cp932CutLength(std::string_view(p, f.size), f.size - 1);
        if (len < f.size)
            std::memset(p + len, 0, f.size - len);
    }
}

std::string TableSpec::KeyBytes(const Key& key, const void* record) const {
    std::string bytes;
    bytes.reserve(key.Length());
    const char* base = static_cast<const char*>(record);
    for (const Segment& s : key.segments)
        bytes.append(base + s.offset, s.size);
    return bytes;
}

std::string TableSpec::FitKey(const Key& key, const void* buffer, std::size_t length) {
    std::string bytes(key.Length(), '\0');
    if (buffer && length > 0)
        std::memcpy(bytes.data(), buffer, std::min(length, bytes.size()));
    std::size_t pos = 0;
    for (const Segment& s : key.segments) {
        std::size_t len = strnlen(bytes.data() + pos, s.size);
        if (len < s.size)
            std::memset(bytes.data() + pos + len, 0, s.size - len);
        pos += s.size;
    }
    return bytes;
}
