#pragma once
// "相談予約枠の選択": the slot chooser. Lists the units (unit mode) or doctors (doctor mode) as
// "<code>,<name>" lines with boxes, the codes of the slot text ticked; OK makes Result() the
// ticked codes in list order. Cancel leaves the caller's text as it was.
#include <QDialog>
#include <string>

#include "agent/dialogs/BookingMode.h"
#include "agent/dialogs/UnitChoices.h"

class CPelmoDBSys;
class QListWidget;

class CUnitSel : public QDialog {
    Q_OBJECT
public:
    // sys must outlive the dialog.
    CUnitSel(BookingMode mode, CPelmoDBSys& sys, const std::string& slotText,
             QWidget* parent = nullptr);

    // The list (control 1000); its lines follow UnitChoices::Lines().
    QListWidget* List() const { return m_list; }
    // After OK: the chosen slot text.
    const std::string& Result() const { return m_result; }

public slots:
    void accept() override;

private:
    UnitChoices m_choices;
    QListWidget* m_list = nullptr;
    std::string m_result;
};
