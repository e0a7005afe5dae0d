#include "agent/dialogs/CUnitSel.h"

#include "agent/dialogs/DialogText.h"
#include "agent/dialogs/OkCancelBox.h"
#include "platform/Cp932.h"
#include "platform/qt/QtText.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CUnitSel::CUnitSel(BookingMode mode, CPelmoDBSys& sys, const std::string& slotText, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(DialogText("相談予約枠の選択"));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_choices.Load(sys, mode, slotText); // an unreadable table leaves the list empty
    m_list = new QListWidget;
    m_list->setObjectName("1000");
    for (const UnitChoice& c : m_choices.Lines()) {
        auto* item = new QListWidgetItem(platform::ToQString(c.Line()), m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(c.checked ? Qt::Checked : Qt::Unchecked);
    }
    m_list->setMinimumSize(m_list->fontMetrics().horizontalAdvance('M') * 22,
                           m_list->fontMetrics().height() * 12);

    QDialogButtonBox* buttons = OkCancelBox(*this);

    auto* top = new QVBoxLayout(this);
    top->addWidget(m_list);
    top->addWidget(buttons);
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
}

void CUnitSel::accept() {
    auto& lines = m_choices.Lines();
    for (int i = 0; i < m_list->count() && i < static_cast<int>(lines.size()); ++i)
        lines[static_cast<std::size_t>(i)].checked = m_list->item(i)->checkState() == Qt::Checked;
    m_result = m_choices.Result();
    QDialog::accept();
}
