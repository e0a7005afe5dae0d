#pragma once
// "設定": the booking settings dialog. Everything it edits lives in "Apposync.ini" ("COMMON",
// "HOSPITAL_INFO", "PENDING_APPOINTMENTS", "FRIST_APPOINTMENTS"); OK stores it all
// (SaveBookingSettings) and drops the trigger file "Setting" so the running agent republishes the
// booking settings; cancel stores nothing. The window only shows and forwards: the type settings
// live in a TypeSettingsModel, the first-visit pages in a FirstVisitPageList shown by the
// FirstVisitGroup, the other values in SettingValues. Kept on top of other windows.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "agent/dialogs/BookingMode.h"
#include "agent/dialogs/ClinicHours.h"
#include "agent/dialogs/DialogHooks.h"
#include "agent/dialogs/FirstVisitPageList.h"
#include "agent/dialogs/SettingValues.h"
#include "agent/dialogs/TypeSettingsModel.h"

class CPelmoDBSys;
class FirstVisitGroup;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;
class ResourceCombo;
class TypeListBox;
class WebSession;

class CSettingDlg : public QDialog {
    Q_OBJECT
public:
    // web: the process's session, whose host and port follow the dialog's on OK (may be null).
    // clinicCode: shown read-only and put into the booking-site addresses. Reads the settings,
    // the local database of the database folder and the appointment types at once.
    // REQUIRES: the profile file is the agent settings file.
    CSettingDlg(WebSession* web, std::string clinicCode, QWidget* parent = nullptr);
    ~CSettingDlg() override;

    // A control by its id (the ids the settings have always used, e.g. 1011 "接続先", 9436 the
    // hour of the time limit, 1000 the type list); null for an unknown id.
    QWidget* Control(int id) const;
    TypeListBox* TypeList() const { return m_typeList; }
    const TypeSettingsModel& Types() const { return m_types; }
    FirstVisitGroup* FirstVisit() const { return m_firstVisit; }
    const std::string& ShownType() const { return m_shownType; }

    // The modal helpers, replaceable for tests. The slot chooser gets the booking mode and the
    // slot text and returns true with the new text on OK. The file chooser returns the chosen
    // path (CP932) or "" on cancel. Inform shows a message (CP932). The opener is the shell's
    // "open".
    using SlotChooser = std::function<bool(BookingMode mode, std::string& slotCodes)>;
    void SetSlotChooser(SlotChooser choose) { m_hooks.chooseSlots = std::move(choose); }
    void SetFileChooser(std::function<std::string(const std::string& suggestedName)> choose) {
        m_hooks.chooseFile = std::move(choose);
    }
    void SetInform(std::function<void(const std::string&)> inform) {
        m_hooks.inform = std::move(inform);
    }
    void SetOpener(std::function<bool(const std::string&)> open) { m_hooks.open = std::move(open); }

public slots:
    void accept() override;

private:
    void BuildControls();
    QWidget* BuildConnectionGroup();
    QWidget* BuildClinicGroup();
    QWidget* BuildAppGroup();
    QWidget* BuildModeGroup();
    QWidget* BuildSendRow();
    QWidget* BuildCalendarGroup();
    QWidget* BuildLimitGroup();
    QWidget* BuildTypeGroup();
    void SetTabOrderByLayout();

    void LoadValues();
    void ApplyEnableRules();
    // Relabels, refills the designated-resource lists and remembers the mode.
    void ApplyMode(BookingMode mode);
    void OnModeClicked(BookingMode mode);

    void OnTypeRowChanged(int row);
    void OnTypeBoxClicked(int row);
    // Collects the type shown so far, shows the one of `row` and sets the controls' states.
    void ActivateType(int row);
    void CollectShownType();
    void ShowType();
    void EnableTypeControls(bool checked);
    void ChooseTypeSlots();

    SettingValues ValuesFromControls() const;

    WebSession* m_web;
    std::string m_clinicCode;
    std::string m_databaseFolder;
    std::unique_ptr<CPelmoDBSys> m_sys;
    TypeSettingsModel m_types;
    std::string m_shownType; // "" while no type is shown
    SettingValues m_loaded;

    ClinicHours m_hours;
    FirstVisitPageList m_pages;
    DialogHooks m_hooks;

    FirstVisitGroup* m_firstVisit = nullptr;

    QLineEdit* m_clinicCodeEdit = nullptr;
    QLineEdit* m_host = nullptr;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_clinicName = nullptr;
    QLineEdit* m_clinicTel = nullptr;
    QLineEdit* m_idTitle = nullptr;
    QComboBox* m_showIdCut = nullptr;
    QLineEdit* m_linkUrl = nullptr;
    QPushButton* m_openLink = nullptr;
    QCheckBox* m_hidePaymant = nullptr;
    QCheckBox* m_hideAppoType = nullptr;
    QCheckBox* m_hideEndTime = nullptr;
    QCheckBox* m_showTreatment = nullptr;
    QRadioButton* m_unitMode = nullptr;
    QRadioButton* m_doctorMode = nullptr;
    QComboBox* m_appoSend = nullptr;
    QLineEdit* m_calendarUrl = nullptr;
    QPushButton* m_openCalendar = nullptr;
    QPushButton* m_saveCalendarQr = nullptr;
    QCheckBox* m_limitToday = nullptr;
    QLineEdit* m_limitHour = nullptr;
    QLineEdit* m_limitMinute = nullptr;
    QLineEdit* m_afterDays = nullptr;
    QRadioButton* m_limitAutoRadio = nullptr;
    QRadioButton* m_limitManualRadio = nullptr;
    QLineEdit* m_limitAuto = nullptr;
    QComboBox* m_manualYear = nullptr;
    QComboBox* m_manualMonth = nullptr;
    TypeListBox* m_typeList = nullptr;
    QLineEdit* m_typeSlots = nullptr;
    QPushButton* m_chooseTypeSlots = nullptr;
    QLabel* m_typeDesignatedLabel = nullptr;
    ResourceCombo* m_typeDesignated = nullptr;
    QLineEdit* m_typeMinutes = nullptr;
    QLineEdit* m_typeDaysBefore = nullptr;
    QLineEdit* m_typeDaysAfter = nullptr;
    QLineEdit* m_typeName = nullptr;
    QCheckBox* m_typeHidden = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
