#include "agent/dialogs/CSettingDlg.h"

#include "agent/core/AgentSettings.h"
#include "agent/dialogs/BookingSiteAddress.h"
#include "agent/dialogs/CUnitSel.h"
#include "agent/dialogs/DialogText.h"
#include "agent/dialogs/FirstVisitGroup.h"
#include "agent/dialogs/NumberEdit.h"
#include "agent/dialogs/OkCancelBox.h"
#include "agent/dialogs/ResourceCombo.h"
#include "agent/dialogs/SaveBookingSettings.h"
#include "agent/dialogs/TypeListBox.h"
#include "agent/sync/support/PendingSettings.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "outside/pelmodb/PelmoEnum.h"
#include "platform/Cp932.h"
#include "platform/qt/QtText.h"
#include "platform/qt/ShellOpen.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

using platform::FromQString;
using platform::J;
using platform::ToQString;

namespace {

int Number(const QLineEdit* edit) {
    return edit->text().trimmed().toInt();
}

QLabel* Label(const char* utf8, QWidget* buddy = nullptr) {
    auto* label = new QLabel(DialogText(utf8));
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

QHBoxLayout* Row(std::initializer_list<QObject*> items, bool stretch = true) {
    auto* row = new QHBoxLayout;
    for (QObject* item : items) {
        if (auto* w = qobject_cast<QWidget*>(item))
            row->addWidget(w);
        else if (auto* l = qobject_cast<QLayout*>(item))
            row->addLayout(l);
    }
    if (stretch)
        row->addStretch(1);
    return row;
}

} // namespace

CSettingDlg::CSettingDlg(WebSession* web, std::string clinicCode, QWidget* parent)
    : QDialog(parent), m_web(web), m_clinicCode(std::move(clinicCode)),
      m_databaseFolder(AgentSettings::DatabaseFolder()),
      m_sys(std::make_unique<CPelmoDBSys>(m_databaseFolder)) {
    setWindowTitle(DialogText("設定"));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_hooks.chooseSlots = [this](BookingMode mode, std::string& slotCodes) {
        CUnitSel chooser(mode, *m_sys, slotCodes, this);
        if (chooser.exec() != QDialog::Accepted)
            return false;
        slotCodes = chooser.Result();
        return true;
    };
    m_hooks.chooseFile = [this](const std::string& suggested) {
        QFileDialog dialog(this, DialogText("QR保存"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix("png");
        dialog.setNameFilter("PNG (*.png)");
        dialog.selectFile(ToQString(suggested)); // asks before overwriting
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::string();
        return FromQString(dialog.selectedFiles().first());
    };
    m_hooks.inform = [this](const std::string& text) {
        QMessageBox box(QMessageBox::Warning, windowTitle(), ToQString(text), QMessageBox::Ok,
                        this);
        box.exec();
    };
    m_hooks.open = [](const std::string& address) { return platform::ShellOpen(address); };

    const PendingSettings stored = PendingSettings::Read(AgentSettings::Process());
    m_types.Load(stored, AgentSettings::Get(settingkeys::kHiddenAppoTypes));
    m_hours = ClinicHours::Read();

    BuildControls();
    LoadValues();
    m_pages.Load(m_types.Mode());
    m_firstVisit->Start(m_types.Mode());

    // An unreadable category table leaves the list empty; nothing else depends on it.
    m_types.LoadTypeList(*m_sys, stored);
    m_typeList->Rebuild();
    EnableTypeControls(false);
    m_typeHidden->setEnabled(true);

    m_calendarUrl->setText(
        ToQString(BookingSiteAddress::StaffCalendar(BookingSiteAddress::Base(), m_clinicCode)));
    // Long values show their beginning, as the address's scheme and host matter most.
    for (QLineEdit* e : findChildren<QLineEdit*>())
        e->setCursorPosition(0);
    m_host->setFocus();
}

CSettingDlg::~CSettingDlg() = default;

QWidget* CSettingDlg::Control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

// ---- building ---------------------------------------------------------------------------

void CSettingDlg::BuildControls() {
    auto edit = [](int id, int widthChars = 0, int maxLength = 0) {
        auto* e = new QLineEdit;
        e->setObjectName(QString::number(id));
        if (widthChars > 0)
            e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QChar(0x3042)) * widthChars);
        if (maxLength > 0)
            e->setMaxLength(maxLength);
        return e;
    };
    auto check = [](int id, const char* text) {
        auto* c = new QCheckBox(DialogText(text));
        c->setObjectName(QString::number(id));
        return c;
    };
    auto radio = [](int id, const char* text) {
        auto* r = new QRadioButton(DialogText(text));
        r->setObjectName(QString::number(id));
        return r;
    };
    auto button = [](int id, const char* text) {
        auto* b = new QPushButton(DialogText(text));
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false); // Enter in the dialog means OK
        return b;
    };
    auto combo = [](int id, std::initializer_list<const char*> items) {
        auto* c = new QComboBox;
        c->setObjectName(QString::number(id));
        for (const char* item : items)
            c->addItem(DialogText(item));
        return c;
    };

    m_clinicCodeEdit = edit(1010, 8);
    m_clinicCodeEdit->setReadOnly(true);
    m_host = edit(1011, 12);
    m_port = NumberEdit(1012, 5);
    m_clinicName = edit(1034, 14);
    m_clinicTel = edit(1035, 10);
    m_idTitle = edit(1036, 10);
    m_showIdCut = combo(1108, {"患者IDそのまま", "右端の全角文字を取り除く", "数字以外を取り除く"});
    m_linkUrl = edit(1037, 14, static_cast<int>(SettingValues::kLinkUrlChars));
    m_openLink = button(1048, "開く");
    m_hidePaymant = check(4105, "入金履歴を送信しない");
    m_hideAppoType = check(4106, "予約種類名を非表示");
    m_hideEndTime = check(4107, "予約終了時間を非表示");
    m_showTreatment = check(4103, "診察券アプリの履歴詳細に処置内容を表示する");
    m_unitMode = radio(1004, "ユニット");
    m_doctorMode = radio(1005, "ドクター");
    m_appoSend = combo(1038, {"標準", "優先", "最優先"});
    m_calendarUrl = edit(1040, 14);
    m_calendarUrl->setReadOnly(true);
    m_openCalendar = button(1047, "開く");
    m_saveCalendarQr = button(1106, "QR保存");
    m_limitToday = check(4102, "当日の予約変更を");
    m_limitHour = NumberEdit(9436, 2);
    m_limitMinute = NumberEdit(9437, 2);
    m_afterDays = NumberEdit(1019, 3);
    m_limitAutoRadio = radio(1029, "自動");
    m_limitManualRadio = radio(1030, "手動");
    m_limitAuto = NumberEdit(1031, 2);
    m_manualYear = new QComboBox;
    m_manualYear->setObjectName("1032");
    m_manualMonth = new QComboBox;
    m_manualMonth->setObjectName("1033");
    for (QComboBox* c : {m_manualYear, m_manualMonth}) {
        // Editable so a stored year outside the offered ones is shown and kept as it is.
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), c));
    }
    m_manualYear->setMinimumContentsLength(5);
    m_manualMonth->setMinimumContentsLength(3);
    m_typeList = new TypeListBox(m_types);
    m_typeList->setObjectName("1000");
    m_typeSlots = edit(1013, 8);
    m_chooseTypeSlots = button(1003, "テーブルから選択");
    m_typeDesignatedLabel = new QLabel;
    m_typeDesignatedLabel->setObjectName("1014");
    m_typeDesignated = new ResourceCombo;
    m_typeDesignated->setObjectName("1015");
    m_typeDesignatedLabel->setBuddy(m_typeDesignated);
    m_typeMinutes = NumberEdit(1020, 3);
    m_typeDaysBefore = NumberEdit(1016, 3);
    m_typeDaysAfter = NumberEdit(1017, 3);
    m_typeName = edit(1018, 10);
    m_typeHidden = check(4101, "診察券アプリでは非表示とする");

    auto* middle = new QVBoxLayout;
    middle->addWidget(BuildConnectionGroup());
    middle->addWidget(BuildClinicGroup());
    middle->addWidget(BuildAppGroup());
    middle->addWidget(BuildModeGroup());
    middle->addWidget(BuildSendRow());
    middle->addWidget(BuildCalendarGroup());
    middle->addStretch(1);

    auto* right = new QVBoxLayout;
    right->addWidget(BuildLimitGroup());
    right->addWidget(BuildTypeGroup(), 1);

    m_firstVisit = new FirstVisitGroup(m_pages, m_hours, *m_sys, m_hooks, m_clinicCode);

    auto* columns = new QHBoxLayout;
    columns->addWidget(m_firstVisit);
    columns->addLayout(middle);
    columns->addLayout(right, 1);

    QDialogButtonBox* buttons = OkCancelBox(*this, &m_ok, &m_cancel);

    auto* top = new QVBoxLayout(this);
    top->addLayout(columns, 1);
    top->addWidget(buttons);

    // Wiring.
    connect(m_openLink, &QPushButton::clicked, this,
            [this] { m_hooks.open(FromQString(m_linkUrl->text())); });
    connect(m_openCalendar, &QPushButton::clicked, this,
            [this] { m_hooks.open(FromQString(m_calendarUrl->text())); });
    connect(m_saveCalendarQr, &QPushButton::clicked, this, [this] {
        m_hooks.SaveQr(FromQString(m_calendarUrl->text()), J("スタッフ用カレンダー"));
    });
    connect(m_limitToday, &QCheckBox::toggled, this, [this] { ApplyEnableRules(); });
    connect(m_limitAutoRadio, &QRadioButton::toggled, this, [this] { ApplyEnableRules(); });
    connect(m_limitManualRadio, &QRadioButton::toggled, this, [this] { ApplyEnableRules(); });
    connect(m_unitMode, &QRadioButton::clicked, this, [this] { OnModeClicked(kUnitMode); });
    connect(m_doctorMode, &QRadioButton::clicked, this, [this] { OnModeClicked(kDoctorMode); });
    connect(m_typeList, &QListWidget::currentRowChanged, this, &CSettingDlg::OnTypeRowChanged);
    connect(m_typeList, &TypeListBox::boxClicked, this, &CSettingDlg::OnTypeBoxClicked);
    // Leaving the slots or the minutes shows the warnings at once.
    for (QLineEdit* e : {m_typeSlots, m_typeMinutes})
        connect(e, &QLineEdit::editingFinished, this, [this] {
            CollectShownType();
            m_typeList->Redraw();
        });
    connect(m_chooseTypeSlots, &QPushButton::clicked, this, &CSettingDlg::ChooseTypeSlots);

    SetTabOrderByLayout();
}

QWidget* CSettingDlg::BuildConnectionGroup() {
    auto* group = new QGroupBox(DialogText("接続設定"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(Label("シリアルNo.", m_clinicCodeEdit), 0, 0);
    grid->addWidget(m_clinicCodeEdit, 0, 1);
    grid->addWidget(Label("接続先", m_host), 1, 0);
    grid->addWidget(m_host, 1, 1);
    grid->addWidget(Label("ポート", m_port), 2, 0);
    grid->addWidget(m_port, 2, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget* CSettingDlg::BuildClinicGroup() {
    auto* group = new QGroupBox(DialogText("医院情報"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(Label("医院名", m_clinicName), 0, 0);
    grid->addWidget(m_clinicName, 0, 1, 1, 2);
    grid->addWidget(Label("TEL", m_clinicTel), 1, 0);
    grid->addWidget(m_clinicTel, 1, 1, 1, 2);
    grid->addWidget(Label("患者ID名称", m_idTitle), 2, 0);
    grid->addWidget(m_idTitle, 2, 1, 1, 2);
    grid->addWidget(Label("患者ログインID", m_showIdCut), 3, 0);
    grid->addWidget(m_showIdCut, 3, 1, 1, 2);
    grid->addWidget(Label("リンク先URL", m_linkUrl), 4, 0);
    grid->addWidget(m_linkUrl, 4, 1);
    grid->addWidget(m_openLink, 4, 2);
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget* CSettingDlg::BuildAppGroup() {
    auto* group = new QGroupBox(DialogText("診察券アプリ"));
    auto* box = new QVBoxLayout(group);
    for (QCheckBox* c : {m_hidePaymant, m_hideAppoType, m_hideEndTime, m_showTreatment})
        box->addWidget(c);
    return group;
}

QWidget* CSettingDlg::BuildModeGroup() {
    auto* group = new QGroupBox(DialogText("予約単位"));
    auto* modes = new QButtonGroup(group);
    modes->addButton(m_unitMode);
    modes->addButton(m_doctorMode);
    group->setLayout(Row({m_unitMode, m_doctorMode}));
    return group;
}

QWidget* CSettingDlg::BuildSendRow() {
    auto* row = new QWidget;
    auto* layout = Row({Label("予約送信", m_appoSend), m_appoSend});
    layout->setContentsMargins(4, 2, 4, 2);
    row->setLayout(layout);
    return row;
}

QWidget* CSettingDlg::BuildCalendarGroup() {
    auto* group = new QGroupBox(DialogText("スタッフ用予約カレンダー"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(Label("URL", m_calendarUrl), 0, 0);
    grid->addWidget(m_calendarUrl, 0, 1, 1, 3);
    grid->addWidget(m_openCalendar, 1, 2);
    grid->addWidget(m_saveCalendarQr, 1, 3);
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget* CSettingDlg::BuildLimitGroup() {
    auto* group = new QGroupBox(DialogText("予約の受付"));
    auto* limitRange = new QButtonGroup(group);
    limitRange->addButton(m_limitAutoRadio);
    limitRange->addButton(m_limitManualRadio);

    auto* grid = new QGridLayout(group);
    grid->addWidget(m_limitToday, 0, 0);
    grid->addLayout(Row({m_limitHour, new QLabel(":"), m_limitMinute, Label("までとする")}), 0, 1);
    grid->addWidget(Label("予約可能日", m_afterDays), 1, 0);
    grid->addLayout(Row({m_afterDays, Label("日目以降から")}), 1, 1);
    grid->addWidget(m_limitAutoRadio, 2, 0);
    grid->addLayout(Row({m_limitAuto, Label("ヶ月先まで")}), 2, 1);
    grid->addWidget(m_limitManualRadio, 3, 0);
    grid->addLayout(Row({m_manualYear, Label("年"), m_manualMonth, Label("月まで")}), 3, 1);
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget* CSettingDlg::BuildTypeGroup() {
    auto* group = new QGroupBox(DialogText("変更可能予約種類の設定"));
    m_typeList->setMinimumHeight(m_typeList->fontMetrics().height() * 9);
    m_typeList->setMinimumWidth(m_typeList->fontMetrics().horizontalAdvance(QChar(0x3042)) * 22);

    auto* grid = new QGridLayout;
    grid->addWidget(Label("予約枠ID", m_typeSlots), 0, 0);
    grid->addLayout(Row({m_typeSlots, m_chooseTypeSlots}, false), 0, 1);
    grid->addWidget(m_typeDesignatedLabel, 1, 0);
    grid->addWidget(m_typeDesignated, 1, 1);
    grid->addWidget(Label("診療時間", m_typeMinutes), 2, 0);
    grid->addLayout(Row({m_typeMinutes, Label("分")}), 2, 1);
    grid->addWidget(Label("変更期間", m_typeDaysBefore), 3, 0);
    grid->addLayout(Row({Label("予約日の"), m_typeDaysBefore, Label("日前から"), m_typeDaysAfter,
                         Label("日後まで")}),
                    3, 1);
    grid->addWidget(Label("表示名", m_typeName), 4, 0);
    grid->addWidget(m_typeName, 4, 1);
    grid->addWidget(m_typeHidden, 5, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* box = new QVBoxLayout(group);
    box->addWidget(m_typeList, 1);
    box->addLayout(grid);
    return group;
}

void CSettingDlg::SetTabOrderByLayout() {
    const std::initializer_list<QWidget*> order = {m_clinicCodeEdit,
                                                   m_host,
                                                   m_port,
                                                   m_clinicName,
                                                   m_clinicTel,
                                                   m_idTitle,
                                                   m_showIdCut,
                                                   m_linkUrl,
                                                   m_openLink,
                                                   m_hidePaymant,
                                                   m_hideAppoType,
                                                   m_hideEndTime,
                                                   m_showTreatment,
                                                   m_unitMode,
                                                   m_doctorMode,
                                                   m_appoSend,
                                                   m_calendarUrl,
                                                   m_openCalendar,
                                                   m_saveCalendarQr,
                                                   m_limitToday,
                                                   m_limitHour,
                                                   m_limitMinute,
                                                   m_afterDays,
                                                   m_limitAutoRadio,
                                                   m_limitAuto,
                                                   m_limitManualRadio,
                                                   m_manualYear,
                                                   m_manualMonth,
                                                   m_typeList,
                                                   m_typeSlots,
                                                   m_chooseTypeSlots,
                                                   m_typeDesignated,
                                                   m_typeMinutes,
                                                   m_typeDaysBefore,
                                                   m_typeDaysAfter,
                                                   m_typeName,
                                                   m_typeHidden,
                                                   m_ok,
                                                   m_cancel};
    QList<QWidget*> chain = m_firstVisit->TabOrder();
    chain.append(QList<QWidget*>(order));
    QWidget* previous = nullptr;
    for (QWidget* w : chain) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
}

// ---- values -------------------------------------------------------------------------------

void CSettingDlg::LoadValues() {
    m_loaded = SettingValues::Read();
    const SettingValues& v = m_loaded;
    m_clinicCodeEdit->setText(ToQString(m_clinicCode));
    m_host->setText(ToQString(v.host));
    m_port->setText(QString::number(v.port));

    const int year = QDate::currentDate().year();
    for (int y = year; y <= year + 4; ++y)
        m_manualYear->addItem(QString::number(y));
    for (int m = 1; m <= 12; ++m)
        m_manualMonth->addItem(QString::number(m));

    m_clinicName->setText(ToQString(v.clinicName));
    m_clinicTel->setText(ToQString(v.clinicTel));
    m_idTitle->setText(ToQString(v.idTitle));
    m_showIdCut->setCurrentIndex(v.showIdCut >= 0 && v.showIdCut < 3 ? v.showIdCut : -1);
    m_linkUrl->setText(ToQString(platform::Cp932CutChars(v.linkUrl, SettingValues::kLinkUrlChars)));
    m_hidePaymant->setChecked(v.hidePaymant);
    m_hideAppoType->setChecked(v.hideAppoType);
    m_hideEndTime->setChecked(v.hideEndTime);
    m_afterDays->setText(QString::number(v.afterDays));
    m_limitManualRadio->setChecked(v.manualLimit);
    m_limitAutoRadio->setChecked(!v.manualLimit);
    m_limitAuto->setText(QString::number(v.limitAuto));
    m_limitToday->setChecked(v.limitToday);
    m_limitHour->setText(QString::number(v.limitHour));
    m_limitMinute->setText(QString::asprintf("%02d", v.limitMinute));
    m_manualYear->setEditText(ToQString(v.manualYear));
    m_manualMonth->setEditText(ToQString(v.manualMonth));
    m_showTreatment->setChecked(v.showTreatment);
    m_appoSend->setCurrentIndex(v.appoSend >= 0 && v.appoSend < 3 ? v.appoSend : -1);
    ApplyEnableRules();

    m_unitMode->setChecked(v.mode == kUnitMode);
    m_doctorMode->setChecked(v.mode == kDoctorMode);
    ApplyMode(v.mode);
}

void CSettingDlg::ApplyEnableRules() {
    const bool manual = m_limitManualRadio->isChecked();
    m_limitAuto->setEnabled(!manual);
    m_manualYear->setEnabled(manual);
    m_manualMonth->setEnabled(manual);
    m_limitHour->setEnabled(m_limitToday->isChecked());
    m_limitMinute->setEnabled(m_limitToday->isChecked());
}

SettingValues CSettingDlg::ValuesFromControls() const {
    SettingValues v = m_loaded;
    v.host = FromQString(m_host->text());
    v.port = Number(m_port);
    v.clinicName = FromQString(m_clinicName->text());
    v.clinicTel = FromQString(m_clinicTel->text());
    v.idTitle = FromQString(m_idTitle->text());
    v.showIdCut = m_showIdCut->currentIndex();
    v.linkUrl = FromQString(m_linkUrl->text());
    v.hidePaymant = m_hidePaymant->isChecked();
    v.hideAppoType = m_hideAppoType->isChecked();
    v.hideEndTime = m_hideEndTime->isChecked();
    v.mode = m_types.Mode();
    v.limitToday = m_limitToday->isChecked();
    v.limitHour = Number(m_limitHour);
    v.limitMinute = Number(m_limitMinute);
    v.afterDays = Number(m_afterDays);
    v.manualLimit = m_limitManualRadio->isChecked();
    v.limitAuto = Number(m_limitAuto);
    v.manualYear = FromQString(m_manualYear->currentText());
    v.manualMonth = FromQString(m_manualMonth->currentText());
    v.showTreatment = m_showTreatment->isChecked();
    v.appoSend = m_appoSend->currentIndex();
    return v;
}

// ---- booking mode -------------------------------------------------------------------------

void CSettingDlg::ApplyMode(BookingMode mode) {
    m_typeDesignatedLabel->setText(DialogText(mode == kUnitMode ? "ドクター指定" : "ユニット指定"));
    std::vector<PelmoEnumEntry> entries;
    std::string err;
    // Doctors are designated in unit mode, units in doctor mode.
    if (mode == kUnitMode)
        PelmoEnum::EnumDoctor(m_sys.get(), "", 1, entries, err);
    else
        PelmoEnum::EnumUnit(m_sys.get(), "", 1, entries, err);
    const bool blocked = m_typeDesignated->blockSignals(true);
    m_typeDesignated->Fill(entries, mode == kDoctorMode);
    m_typeDesignated->blockSignals(blocked);
    m_types.SetMode(mode);
}

void CSettingDlg::OnModeClicked(BookingMode mode) {
    if (mode == m_types.Mode())
        return;
    // Both the page and the type are stored in the old mode first, so no edit is lost.
    m_firstVisit->StoreShownPage();
    CollectShownType();
    ApplyMode(mode);
    m_firstVisit->ApplyMode(mode);
    if (!m_shownType.empty())
        ShowType();
    m_typeList->Redraw();
}

// ---- appointment types --------------------------------------------------------------------

void CSettingDlg::OnTypeRowChanged(int row) {
    ActivateType(row);
}

void CSettingDlg::OnTypeBoxClicked(int row) {
    const auto& entries = m_types.Entries();
    if (row < 0 || row >= static_cast<int>(entries.size()))
        return;
    m_types.SetChecked(static_cast<std::size_t>(row),
                       !entries[static_cast<std::size_t>(row)].checked);
    if (m_typeList->currentRow() != row) {
        const bool blocked = m_typeList->blockSignals(true);
        m_typeList->setCurrentRow(row);
        m_typeList->blockSignals(blocked);
    }
    ActivateType(row);
}

void CSettingDlg::ActivateType(int row) {
    CollectShownType();
    const auto& entries = m_types.Entries();
    if (row < 0 || row >= static_cast<int>(entries.size())) {
        m_shownType.clear();
        EnableTypeControls(false);
        m_typeList->Redraw();
        return;
    }
    m_shownType = entries[static_cast<std::size_t>(row)].code;
    ShowType();
    EnableTypeControls(entries[static_cast<std::size_t>(row)].checked);
    m_typeList->Redraw();
}

void CSettingDlg::CollectShownType() {
    if (m_shownType.empty())
        return;
    TypeEdit e;
    e.slotCodes = FromQString(m_typeSlots->text());
    e.designated = m_typeDesignated->SelectedCode();
    e.minutes = Number(m_typeMinutes);
    e.daysBefore = Number(m_typeDaysBefore);
    e.daysAfter = Number(m_typeDaysAfter);
    e.displayName = FromQString(m_typeName->text());
    e.hidden = m_typeHidden->isChecked();
    m_types.Collect(m_shownType, e);
}

void CSettingDlg::ShowType() {
    const TypeEdit e = m_types.Show(m_shownType);
    m_typeSlots->setText(ToQString(e.slotCodes));
    m_typeSlots->setCursorPosition(0);
    m_typeDesignated->SelectCode(e.designated);
    m_typeMinutes->setText(QString::number(e.minutes));
    m_typeDaysBefore->setText(QString::number(e.daysBefore));
    m_typeDaysAfter->setText(QString::number(e.daysAfter));
    m_typeName->setText(ToQString(e.displayName));
    m_typeHidden->setChecked(e.hidden);
}

void CSettingDlg::EnableTypeControls(bool checked) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_typeSlots, m_chooseTypeSlots, m_typeDesignated,
                                         m_typeMinutes, m_typeDaysBefore, m_typeDaysAfter})
        w->setEnabled(checked);
    // A type patients may move is shown in the app; only the others can be hidden there.
    m_typeHidden->setEnabled(!checked);
    if (checked)
        m_typeHidden->setChecked(false);
}

void CSettingDlg::ChooseTypeSlots() {
    std::string slotCodes = FromQString(m_typeSlots->text());
    if (!m_hooks.chooseSlots(m_types.Mode(), slotCodes))
        return;
    m_typeSlots->setText(ToQString(slotCodes));
    CollectShownType();
    m_typeList->Redraw();
}

// ---- buttons ------------------------------------------------------------------------------

void CSettingDlg::accept() {
    const SettingValues values = ValuesFromControls();
    m_firstVisit->StoreShownPage();
    CollectShownType();
    const SaveOutcome saved = SaveBookingSettings(values, m_pages, m_types, m_databaseFolder);
    if (!saved.written) {
        // Closing now would lose the edits: say so and let the user try again or cancel.
        m_hooks.inform(J("設定ファイルに保存できませんでした。\n") + AgentSettings::ProfileFile());
        return;
    }
    if (m_web)
        values.ApplyTo(*m_web);
    if (saved.trigger == SettingTrigger::Failed)
        m_hooks.inform(J("設定は保存しましたが、Web予約への反映を指示するファイル「Setting」を"
                         "作成できませんでした。"));
    QDialog::accept();
}
