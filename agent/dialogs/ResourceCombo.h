#pragma once
// A drop-down list of units, doctors or appointment types filled from the local database's
// resource lists (PelmoEnum), with the chosen entry's code read back from its item data.
#include <QComboBox>
#include <string>
#include <vector>

struct PelmoEnumEntry;

class ResourceCombo : public QComboBox {
    Q_OBJECT
public:
    explicit ResourceCombo(QWidget* parent = nullptr);

    // Replaces the entries. `categoryData`: the item data is "<kind>,<code>" (units, types), else
    // the code itself (doctors).
    void Fill(const std::vector<PelmoEnumEntry>& entries, bool categoryData);
    // Chooses the entry of `code`; "" chooses the empty entry. A single code that is not listed
    // (a resource since marked unused) is added with its code as text, so a stored choice is
    // never dropped by merely showing it.
    void SelectCode(const std::string& code);
    // Code of the chosen entry; "" for the empty entry or none.
    std::string SelectedCode() const;

private:
    std::string CodeOf(int index) const;

    bool m_categoryData = false;
};
