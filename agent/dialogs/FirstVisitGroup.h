#pragma once
// The group "初診相談予約" of the settings dialog: the first-visit booking pages with their tabs,
// the editing of the page shown, the range or fixed-times view of the weekdays and the check of
// fixed times against the clinic's hours. The pages live in a FirstVisitPageList owned by the
// dialog; the group stores the page shown into it on a tab change, on adding a page, on a
// booking-mode change and before the dialog stores all pages.
#include <QGroupBox>
#include <array>
#include <string>

#include "agent/dialogs/BookingMode.h"
#include "agent/dialogs/ClinicHours.h"

class CPelmoDBSys;
class FirstVisitPageList;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabBar;
class ResourceCombo;
class TintedPanel;
struct DialogHooks;

class FirstVisitGroup : public QGroupBox {
    Q_OBJECT
public:
    // Everything passed in must outlive the group.
    FirstVisitGroup(FirstVisitPageList& pages, const ClinicHours& hours, CPelmoDBSys& sys,
                    const DialogHooks& hooks, std::string clinicCode, QWidget* parent = nullptr);

    // After the pages were loaded: the view of USE_RANGE, one tab per page, the first page shown.
    void Start(BookingMode mode);
    // The controls into the page shown.
    void StoreShownPage();
    // A new booking mode: relabels and shows the page again in it. REQUIRES: the page shown was
    // stored in the old mode.
    void ApplyMode(BookingMode mode);

    int ShownPage() const { return m_shown; }
    // The check result of weekday d (1..7) as last computed: 0, 1, 10 or 11.
    int CheckResult(int weekday) const { return m_results[static_cast<std::size_t>(weekday - 1)]; }
    TintedPanel* Panel() const { return m_panel; }
    // The group's focusable controls in layout order, for the dialog's tab order.
    QList<QWidget*> TabOrder() const;
    QTabBar* Tabs() const { return m_tabs; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildWeekdayGrid();
    void ShowPage(int index);
    void FillResourceLists();
    void ApplyView();
    void CheckWeekday(int weekday);
    void CheckAllWeekdays();
    void UpdateNotes();
    void UpdatePageButtons();
    void OnTabChanged(int index);
    void AddPage();
    void DeletePage();
    void CopyClinicHours();
    void ChooseSlots();

    FirstVisitPageList& m_pages;
    const ClinicHours& m_hours;
    CPelmoDBSys& m_sys;
    const DialogHooks& m_hooks;
    std::string m_clinicCode;
    BookingMode m_mode = kUnitMode;
    int m_shown = -1;
    std::array<int, 7> m_results{};

    QRadioButton* m_rangeView = nullptr;
    QRadioButton* m_fixedView = nullptr;
    QPushButton* m_addPage = nullptr;
    QPushButton* m_deletePage = nullptr;
    QTabBar* m_tabs = nullptr;
    TintedPanel* m_panel = nullptr;
    QLineEdit* m_pageUrl = nullptr;
    QPushButton* m_openPage = nullptr;
    QPushButton* m_savePageQr = nullptr;
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_comment = nullptr;
    std::array<QCheckBox*, 8> m_required{};
    QLineEdit* m_slots = nullptr;
    QPushButton* m_chooseSlots = nullptr;
    QLabel* m_designatedLabel = nullptr;
    ResourceCombo* m_designated = nullptr;
    ResourceCombo* m_type = nullptr;
    QLineEdit* m_afterDays = nullptr;
    QLineEdit* m_minutes = nullptr;
    QLabel* m_timesLabel = nullptr;
    std::array<QCheckBox*, 7> m_dayBoxes{};
    std::array<std::array<QLineEdit*, 8>, 7> m_ranges{}; // [day][am from h, m, am to h, m, pm ...]
    std::array<QLineEdit*, 7> m_fixed{};
    QList<QWidget*> m_rangeDecoration;
    QPushButton* m_fromClinic = nullptr;
    QLabel* m_noteOutside = nullptr;
    QLabel* m_noteOverlap = nullptr;
    QLabel* m_noteNoSlots = nullptr;
};
