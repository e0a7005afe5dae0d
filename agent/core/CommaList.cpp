#include "CommaList.h"

CommaList::CommaList(const std::string& value) {
    if (value.empty())
        return;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type comma = value.find(',', start);
        if (comma == std::string::npos) {
            m_items.push_back(value.substr(start));
            return;
        }
        m_items.push_back(value.substr(start, comma - start));
        start = comma + 1;
    }
}

std::string CommaList::ItemOr(int index, const std::string& def) const {
    return Has(index) ? Item(index) : def;
}

int CommaList::Find(const std::string& text) const {
    for (int i = 0; i < Count(); ++i) {
        if (Item(i) == text)
            return i;
    }
    return -1;
}
