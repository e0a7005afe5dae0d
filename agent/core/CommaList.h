#pragma once
// A settings value holding a list, such as "HIDDEN_APPOTYPES" or the "PENDING_APPOINTMENTS"
// lists: split at every ',' with nothing trimmed. An empty value is an empty list; otherwise
// the list has one entry more than the value has commas ("a,,b" has three, "a," has two).
#include <string>
#include <vector>

class CommaList {
public:
    CommaList() = default;
    explicit CommaList(const std::string& value);

    int Count() const { return static_cast<int>(m_items.size()); }
    bool Has(int index) const { return index >= 0 && index < Count(); }
    // REQUIRES: Has(index).
    const std::string& Item(int index) const { return m_items[static_cast<std::size_t>(index)]; }
    // Entry `index`, or `def` when the list is shorter (lists of one setting may be shorter than
    // the list they run parallel to).
    std::string ItemOr(int index, const std::string& def) const;
    // Index of the first entry equal to `text` (case-sensitive), -1 when none is.
    int Find(const std::string& text) const;
    const std::vector<std::string>& Items() const { return m_items; }

private:
    std::vector<std::string> m_items;
};
