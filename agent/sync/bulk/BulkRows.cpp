#include "agent/sync/bulk/BulkRows.h"

#include "agent/core/CDBException.h"
#include "agent/core/CDatabase.h"
#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"

std::optional<std::string> BulkRows::BatchKey(const Row& row) {
    std::string folded;
    for (const std::string& literal : row.keys) {
        // Only quoted ASCII keys can be compared here: the server's collation may fold case,
        // ignore trailing blanks, and treat wide and narrow or accented letters as equal.
        if (literal.size() < 2 || literal.front() != '\'' || literal.back() != '\'')
            return std::nullopt;
        std::string text = literal.substr(1, literal.size() - 2);
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        for (char& c : text) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x20 || b >= 0x7F)
                return std::nullopt;
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        }
        folded += text;
        folded += '\x01';
    }
    return folded;
}

std::string BulkRows::Match(const Row& row) const {
    std::string sql;
    for (std::size_t i = 0; i < m_table.keyColumns.size(); ++i) {
        if (i)
            sql += " AND ";
        sql += m_table.keyColumns[i] + "=" + row.keys[i];
    }
    return sql;
}

std::string BulkRows::ExistsStatement(const std::vector<const Row*>& rows) const {
    // One character per row, '1' when its row is there. Cast, as the driver hands a CONCAT of
    // numbers over as bytes.
    std::string sql = "SELECT CAST(CONCAT(";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i)
            sql += ',';
        sql += "EXISTS(SELECT 1 FROM " + m_table.name + " WHERE " + Match(*rows[i]) + ")";
    }
    return sql + ") AS CHAR)";
}

std::string BulkRows::UpdateStatement(const std::vector<const Row*>& rows) const {
    std::string sql = "UPDATE " + m_table.name + " SET ";
    for (std::size_t c = 0; c < m_table.valueColumns.size(); ++c) {
        if (c)
            sql += ',';
        sql += m_table.valueColumns[c] + "=CASE";
        for (const Row* row : rows)
            sql += " WHEN " + Match(*row) + " THEN " + row->values[c];
        sql += " END";
    }
    sql += " WHERE ";
    for (std::size_t i = 0; i < rows.size(); ++i)
        sql += (i ? " OR (" : "(") + Match(*rows[i]) + ")";
    return sql;
}

std::string BulkRows::InsertStatement(const std::vector<const Row*>& rows) const {
    std::string sql = "INSERT INTO " + m_table.name + "(";
    bool first = true;
    for (const auto* columns : {&m_table.keyColumns, &m_table.valueColumns})
        for (const std::string& column : *columns) {
            sql += (first ? "" : ",") + column;
            first = false;
        }
    sql += ") VALUES";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        sql += i ? ",(" : "(";
        first = true;
        for (const auto* literals : {&rows[i]->keys, &rows[i]->values})
            for (const std::string& literal : *literals) {
                sql += (first ? "" : ",") + literal;
                first = false;
            }
        sql += ')';
    }
    return sql;
}

void BulkRows::Send(CDatabase& db, std::vector<Row>& rows,
                    const std::function<void()>& between) const {
    std::vector<Row*> waiting;
    for (Row& row : rows)
        if (row.state == State::Waiting)
            waiting.push_back(&row);
    if (waiting.empty())
        return;
    const auto refused = [](const std::vector<Row*>& which) {
        for (Row* row : which)
            row->state = State::Alone;
    };
    const std::vector<const Row*> all(waiting.begin(), waiting.end());

    std::string found;
    try {
        CRecordset rs(&db);
        if (!rs.Open(CRecordset::forwardOnly, ExistsStatement(all), CRecordset::readOnly) ||
            rs.IsEOF()) {
            refused(waiting);
            return;
        }
        found = GetFieldText(rs, "");
    } catch (const CDBException& e) {
        if (e.IsLostConnection())
            throw;
        refused(waiting);
        return;
    }
    if (between)
        between();
    if (found.size() != waiting.size()) {
        refused(waiting);
        return;
    }

    std::vector<Row*> present, absent;
    for (std::size_t i = 0; i < waiting.size(); ++i) {
        Row* row = waiting[i];
        const bool exists = found[i] == '1';
        if (!row->existed)
            row->existed = exists;
        (exists ? present : absent).push_back(row);
    }
    const auto write = [&](const std::vector<Row*>& which, const std::string& sql) {
        if (which.empty())
            return;
        try {
            db.ExecuteSQL(sql);
        } catch (const CDBException& e) {
            if (e.IsLostConnection())
                throw;
            refused(which);
            return;
        }
        // Counted by the first look: after a lost connection an insert that did reach the
        // server is found again and only updated, but it still was an addition.
        for (Row* row : which)
            row->state = *row->existed ? State::Updated : State::Added;
        if (between)
            between();
    };
    write(present, UpdateStatement({present.begin(), present.end()}));
    write(absent, InsertStatement({absent.begin(), absent.end()}));
}
