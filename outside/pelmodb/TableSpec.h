#pragma once
// How one record struct maps onto one SQLite table: its fields (by offset in the struct) and its
// numbered keys. Each key is stored as a BLOB column of the record's CP932 bytes, so SQLite's
// memcmp ordering of BLOBs is the byte ordering callers expect.
#include <cstddef> // offsetof for the field macros
#include <string>
#include <vector>

class TableSpec {
public:
    enum class Kind {
        Text,  // char[size], NUL-terminated CP932 text; stored as UTF-8 TEXT
        Byte,  // one char holding a small number (status bytes, flags); stored as INTEGER
        Int32, // std::int32_t; stored as INTEGER
        Int64, // std::int64_t; stored as INTEGER
    };
    struct Field {
        const char* name; // column name, also the name clinicdb shows
        std::size_t offset;
        std::size_t size;
        Kind kind;
    };
    struct Segment {
        std::size_t offset; // Text field of the record the segment copies
        std::size_t size;
    };
    struct Key {
        int number;
        std::string column; // BLOB column holding the key bytes ("k0", "k2", ...)
        std::vector<Segment> segments;
        std::size_t Length() const;
    };

    std::string table;
    std::size_t recordSize = 0;
    std::vector<Field> fields;
    std::vector<Key> keys; // keys[0] is key 0, the unique key the table is addressed by
    // A table added after the first databases were made: a record class creates it on first use
    // when the database lacks it.
    bool addedLater = false;

    const Key* FindKey(int number) const;
    const Field* FindField(const std::string& name) const;
    // Distinct key columns, key 0's first.
    std::vector<std::string> KeyColumns() const;
    // CREATE TABLE, its key indexes and the change-time triggers.
    std::string SchemaSql() const;

    // Zeroes every byte after the first NUL of each Text field, so equal texts have equal bytes;
    // a Text field without NUL loses its last (whole) character to make room for one.
    void Normalize(void* record) const;
    // Key bytes of a record (record normalized first by the caller).
    std::string KeyBytes(const Key& key, const void* record) const;
    // A caller's key buffer brought to the key's length (cut or zero-padded) and normalized per
    // segment like a record.
    static std::string FitKey(const Key& key, const void* buffer, std::size_t length);
};

// Field and key-segment descriptions of a record struct member.
#define PELMO_FIELD(Struct, member, kind)                                                          \
    TableSpec::Field {                                                                             \
#member, offsetof(Struct, member), sizeof(Struct::member), TableSpec::Kind::kind           \
    }
#define PELMO_NAMED_FIELD(name, Struct, member, kind)                                              \
    TableSpec::Field {                                                                             \
        name, offsetof(Struct, member), sizeof(Struct::member), TableSpec::Kind::kind              \
    }
#define PELMO_SEGMENT(Struct, member)                                                              \
    TableSpec::Segment {                                                                           \
        offsetof(Struct, member), sizeof(Struct::member)                                           \
    }
