#include "agent/dialogs/ResourceCombo.h"

#include "outside/pelmodb/PelmoEnum.h"
#include "platform/qt/QtText.h"

using platform::ToQString;

ResourceCombo::ResourceCombo(QWidget* parent) : QComboBox(parent) {
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
}

void ResourceCombo::Fill(const std::vector<PelmoEnumEntry>& entries, bool categoryData) {
    clear();
    m_categoryData = categoryData;
    int selected = -1;
    for (const PelmoEnumEntry& e : entries) {
        addItem(ToQString(e.name), ToQString(e.data));
        if (e.selected && selected < 0)
            selected = count() - 1;
    }
    setCurrentIndex(selected);
}

std::string ResourceCombo::CodeOf(int index) const {
    if (index < 0)
        return {};
    const std::string data = platform::FromQString(itemData(index).toString());
    if (!m_categoryData)
        return data;
    return data.size() > 2 ? data.substr(2) : std::string();
}

void ResourceCombo::SelectCode(const std::string& code) {
    for (int i = 0; i < count(); ++i) {
        if (CodeOf(i) == code) {
            setCurrentIndex(i);
            return;
        }
    }
    if (code.empty() || code.find(',') != std::string::npos) {
        setCurrentIndex(-1);
        return;
    }
    // The kind in front is never read back: the code starts at the third character.
    const std::string data = m_categoryData ? "?," + code : code;
    addItem(ToQString(code), ToQString(data));
    setCurrentIndex(count() - 1);
}

std::string ResourceCombo::SelectedCode() const {
    return CodeOf(currentIndex());
}
