#include "agent/dialogs/FirstVisitGroup.h"

#include "agent/dialogs/BookingSiteAddress.h"
#include "agent/dialogs/DialogHooks.h"
#include "agent/dialogs/DialogText.h"
#include "agent/dialogs/FirstVisitPageList.h"
#include "agent/dialogs/FixedTimesCheck.h"
#include "agent/dialogs/NumberEdit.h"
#include "agent/dialogs/ResourceCombo.h"
#include "agent/dialogs/TintedPanel.h"
#include "agent/sync/support/FixedTimes.h"
#include "outside/pelmodb/PelmoEnum.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QVBoxLayout>

using platform::FromQString;
using platform::J;
using platform::ToQString;

namespace {

// The required form fields: the word stored and the box's label, in the stored order.
struct RequiredField {
    const char* word;
    const char* label;
    int id;
    bool keepOn; // can be turned on but not off
};
const RequiredField kRequired[8] = {
    {"NAME", "氏名", 4401, true},       {"KANA", "カナ名", 4402, true},
    {"BIRTH", "生年月日", 4403, false}, {"SEX", "性別", 4404, false},
    {"ADDR", "住所", 4405, false},      {"TEL", "電話番号", 4406, true},
    {"MAIL", "E-mail", 4407, false},    {"NOTE", "相談内容", 4408, false},
};

const char* const kDayNames[7] = {"日", "月", "火", "水", "木", "金", "土"};

const QColor kNoteColour(255, 0, 0);

int Number(const QLineEdit* edit) {
    return edit->text().trimmed().toInt();
}

QString HourText(int hour) {
    return hour < 0 ? QString() : QString::number(hour);
}

QString MinuteText(int minute) {
    return minute < 0 ? QString() : QString::asprintf("%02d", minute);
}

QLabel* RedNote(int id, const char* text) {
    auto* label = new QLabel(DialogText(text));
    label->setObjectName(QString::number(id));
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, kNoteColour);
    label->setPalette(pal);
    return label;
}

void SetTextColour(QLineEdit* edit, bool red) {
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Text,
                 red ? kNoteColour : QApplication::palette(edit).color(QPalette::Text));
    edit->setPalette(pal);
}

} // namespace

FirstVisitGroup::FirstVisitGroup(FirstVisitPageList& pages, const ClinicHours& hours,
                                 CPelmoDBSys& sys, const DialogHooks& hooks, std::string clinicCode,
                                 QWidget* parent)
    : QGroupBox(DialogText("初診相談予約"), parent), m_pages(pages), m_hours(hours), m_sys(sys),
      m_hooks(hooks), m_clinicCode(std::move(clinicCode)) {
    setObjectName("1100");
    BuildControls();
}

// ---- building ---------------------------------------------------------------------------

void FirstVisitGroup::BuildControls() {
    auto button = [](int id, const char* text) {
        auto* b = new QPushButton(DialogText(text));
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false);
        return b;
    };
    auto edit = [](int id, int widthChars) {
        auto* e = new QLineEdit;
        e->setObjectName(QString::number(id));
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QChar(0x3042)) * widthChars);
        return e;
    };

    m_rangeView = new QRadioButton(DialogText("範囲指定"));
    m_rangeView->setObjectName("1045");
    m_fixedView = new QRadioButton(DialogText("固定"));
    m_fixedView->setObjectName("1046");
    m_addPage = button(1023, "ページ追加");
    m_deletePage = button(1024, "ページ削除");
    m_tabs = new QTabBar;
    m_tabs->setObjectName("1042");
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(false);

    m_pageUrl = edit(1039, 14);
    m_pageUrl->setReadOnly(true);
    m_openPage = button(1044, "開く");
    m_savePageQr = button(1105, "QR保存");
    m_title = edit(1025, 14);
    m_comment = new QPlainTextEdit;
    m_comment->setObjectName("1026");
    m_comment->setTabChangesFocus(true);
    m_comment->setFixedHeight(m_comment->fontMetrics().lineSpacing() * 3 + 12);
    for (std::size_t i = 0; i < m_required.size(); ++i) {
        m_required[i] = new QCheckBox(DialogText(kRequired[i].label));
        m_required[i]->setObjectName(QString::number(kRequired[i].id));
        if (kRequired[i].keepOn) {
            QCheckBox* box = m_required[i];
            connect(box, &QCheckBox::toggled, box, [box](bool on) {
                if (on)
                    box->setEnabled(false);
            });
        }
    }
    m_slots = edit(1006, 8);
    m_chooseSlots = button(1002, "テーブルから選択");
    m_designatedLabel = new QLabel;
    m_designatedLabel->setObjectName("1007");
    m_designated = new ResourceCombo;
    m_designated->setObjectName("1008");
    m_designatedLabel->setBuddy(m_designated);
    m_type = new ResourceCombo;
    m_type->setObjectName("1009");
    m_afterDays = NumberEdit(1022, 3);
    m_minutes = NumberEdit(1021, 3);
    m_timesLabel = new QLabel;
    m_timesLabel->setObjectName("1099");
    m_fromClinic = button(1001, "診療時間から取得");
    m_noteOutside = RedNote(1101, "※診療時間外が指定されています。");
    m_noteOverlap = RedNote(1102, "※重複または選択できない時間が指定されています。");
    m_noteNoSlots = RedNote(1103, "※予約枠未指定");

    // Top row and tabs.
    auto* top = new QHBoxLayout;
    top->addWidget(m_rangeView);
    top->addWidget(m_fixedView);
    top->addStretch(1);
    top->addWidget(m_addPage);
    top->addWidget(m_deletePage);

    // The page.
    auto* grid = new QGridLayout;
    auto label = [](const char* text, QWidget* buddy) {
        auto* l = new QLabel(DialogText(text));
        l->setBuddy(buddy);
        return l;
    };
    int row = 0;
    grid->addWidget(label("予約ページ", m_pageUrl), row, 0);
    grid->addWidget(m_pageUrl, row++, 1);
    auto* urlButtons = new QHBoxLayout;
    urlButtons->addStretch(1);
    urlButtons->addWidget(m_openPage);
    urlButtons->addWidget(m_savePageQr);
    grid->addLayout(urlButtons, row++, 1);
    grid->addWidget(label("名称", m_title), row, 0);
    grid->addWidget(m_title, row++, 1);
    grid->addWidget(label("コメント", m_comment), row, 0, Qt::AlignTop);
    grid->addWidget(m_comment, row++, 1);
    grid->addWidget(label("必須項目", m_required[0]), row, 0, Qt::AlignTop);
    auto* required = new QGridLayout;
    for (std::size_t i = 0; i < m_required.size(); ++i)
        required->addWidget(m_required[i], static_cast<int>(i / 4), static_cast<int>(i % 4));
    grid->addLayout(required, row++, 1);
    grid->addWidget(label("予約枠ID", m_slots), row, 0);
    auto* slotRow = new QHBoxLayout;
    slotRow->addWidget(m_slots, 1);
    slotRow->addWidget(m_chooseSlots);
    grid->addLayout(slotRow, row++, 1);
    grid->addWidget(m_designatedLabel, row, 0);
    grid->addWidget(m_designated, row++, 1);
    grid->addWidget(label("予約種類", m_type), row, 0);
    grid->addWidget(m_type, row++, 1);
    auto* daysRow = new QHBoxLayout;
    daysRow->addWidget(m_afterDays);
    daysRow->addWidget(new QLabel(DialogText("日目以降から登録可能")));
    daysRow->addSpacing(16);
    daysRow->addWidget(label("診療時間", m_minutes));
    daysRow->addWidget(m_minutes);
    daysRow->addWidget(new QLabel(DialogText("分間")));
    daysRow->addStretch(1);
    grid->addLayout(daysRow, row++, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* page = new QVBoxLayout;
    page->addLayout(grid);
    page->addWidget(m_timesLabel);
    page->addWidget(BuildWeekdayGrid());
    auto* fromRow = new QHBoxLayout;
    fromRow->addWidget(m_fromClinic);
    fromRow->addStretch(1);
    page->addLayout(fromRow);
    page->addWidget(m_noteOutside);
    page->addWidget(m_noteOverlap);
    page->addWidget(m_noteNoSlots);
    page->addStretch(1);

    m_panel = new TintedPanel;
    m_panel->setLayout(page);

    // The tabs sit directly on the panel they switch.
    auto* box = new QVBoxLayout(this);
    box->setSpacing(0);
    box->addLayout(top);
    box->addSpacing(6);
    box->addWidget(m_tabs);
    box->addWidget(m_panel, 1);

    // Wiring.
    connect(m_rangeView, &QRadioButton::toggled, this, [this] {
        m_pages.SetUseRange(m_rangeView->isChecked());
        ApplyView();
    });
    connect(m_tabs, &QTabBar::currentChanged, this, &FirstVisitGroup::OnTabChanged);
    connect(m_addPage, &QPushButton::clicked, this, &FirstVisitGroup::AddPage);
    connect(m_deletePage, &QPushButton::clicked, this, &FirstVisitGroup::DeletePage);
    connect(m_openPage, &QPushButton::clicked, this,
            [this] { m_hooks.open(FromQString(m_pageUrl->text())); });
    connect(m_savePageQr, &QPushButton::clicked, this, [this] {
        m_hooks.SaveQr(FromQString(m_pageUrl->text()),
                       J("Web予約ページ") + std::to_string(m_shown + 1));
    });
    connect(m_chooseSlots, &QPushButton::clicked, this, &FirstVisitGroup::ChooseSlots);
    connect(m_slots, &QLineEdit::textChanged, this, [this] { UpdateNotes(); });
    connect(m_minutes, &QLineEdit::textChanged, this, [this] { CheckAllWeekdays(); });
    connect(m_fromClinic, &QPushButton::clicked, this, &FirstVisitGroup::CopyClinicHours);
}

QWidget* FirstVisitGroup::BuildWeekdayGrid() {
    auto* holder = new QWidget;
    auto* grid = new QGridLayout(holder);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(3);
    int decorationId = 4303;
    auto decoration = [&](const char* text) {
        auto* l = new QLabel(DialogText(text));
        l->setObjectName(QString::number(decorationId++));
        m_rangeDecoration << l;
        return l;
    };
    auto* am = new QLabel(DialogText("午前"));
    am->setObjectName("4301");
    auto* pm = new QLabel(DialogText("午後"));
    pm->setObjectName("4302");
    m_rangeDecoration << am << pm;
    grid->addWidget(am, 0, 1, 1, 7, Qt::AlignCenter);
    grid->addWidget(pm, 0, 9, 1, 7, Qt::AlignCenter);
    for (int d = 0; d < 7; ++d) {
        const int row = d + 1;
        m_dayBoxes[static_cast<std::size_t>(d)] = new QCheckBox(DialogText(kDayNames[d]));
        m_dayBoxes[static_cast<std::size_t>(d)]->setObjectName(QString::number(4000 + d));
        grid->addWidget(m_dayBoxes[static_cast<std::size_t>(d)], row, 0);
        auto& edits = m_ranges[static_cast<std::size_t>(d)];
        for (int k = 0; k < 8; ++k)
            edits[static_cast<std::size_t>(k)] = NumberEdit(9380 + d + 7 * k, 2);
        // Columns: h : m ～ h : m, a gap, h : m ～ h : m.
        int column = 1;
        for (int half = 0; half < 2; ++half) {
            const std::size_t base = static_cast<std::size_t>(half * 4);
            grid->addWidget(edits[base], row, column++);
            grid->addWidget(decoration(":"), row, column++);
            grid->addWidget(edits[base + 1], row, column++);
            grid->addWidget(decoration("～"), row, column++);
            grid->addWidget(edits[base + 2], row, column++);
            grid->addWidget(decoration(":"), row, column++);
            grid->addWidget(edits[base + 3], row, column++);
            if (half == 0)
                grid->addItem(new QSpacerItem(12, 1), row, column++);
        }
        auto* fixed = new QLineEdit;
        fixed->setObjectName(QString::number(4200 + d));
        fixed->installEventFilter(this);
        m_fixed[static_cast<std::size_t>(d)] = fixed;
        grid->addWidget(fixed, row, 1, 1, 16); // over the range columns and the spare width
    }
    grid->setColumnStretch(16, 1);
    return holder;
}

QList<QWidget*> FirstVisitGroup::TabOrder() const {
    QList<QWidget*> order{m_rangeView, m_fixedView, m_addPage,    m_deletePage, m_tabs,
                          m_pageUrl,   m_openPage,  m_savePageQr, m_title,      m_comment};
    for (QCheckBox* box : m_required)
        order << box;
    order << m_slots << m_chooseSlots << m_designated << m_type << m_afterDays << m_minutes;
    for (std::size_t d = 0; d < 7; ++d) {
        order << m_dayBoxes[d];
        for (QLineEdit* e : m_ranges[d])
            order << e;
        order << m_fixed[d];
    }
    order << m_fromClinic;
    return order;
}

// ---- pages ------------------------------------------------------------------------------

void FirstVisitGroup::Start(BookingMode mode) {
    m_mode = mode;
    m_designatedLabel->setText(DialogText(mode == kUnitMode ? "ドクター指定" : "ユニット指定"));
    const bool blocked = m_tabs->blockSignals(true);
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    for (int p = 0; p < m_pages.Count(); ++p)
        m_tabs->addTab(QString::number(p + 1));
    m_tabs->setCurrentIndex(0);
    m_tabs->blockSignals(blocked);
    {
        const bool rangeBlocked = m_rangeView->blockSignals(true);
        m_rangeView->setChecked(m_pages.UseRange());
        m_fixedView->setChecked(!m_pages.UseRange());
        m_rangeView->blockSignals(rangeBlocked);
    }
    ApplyView();
    m_shown = -1;
    ShowPage(0);
    UpdatePageButtons();
}

void FirstVisitGroup::ApplyMode(BookingMode mode) {
    m_mode = mode;
    m_designatedLabel->setText(DialogText(mode == kUnitMode ? "ドクター指定" : "ユニット指定"));
    if (m_shown >= 0)
        ShowPage(m_shown);
}

void FirstVisitGroup::StoreShownPage() {
    if (m_shown < 0 || m_shown >= m_pages.Count())
        return;
    CFirstAppoSetting& page = m_pages.Page(m_shown);
    page.title = FromQString(m_title->text());
    std::string comment = FromQString(m_comment->toPlainText());
    std::string crlf;
    for (char c : comment) {
        if (c == '\n')
            crlf += '\r';
        if (c != '\r')
            crlf += c;
    }
    page.comment = crlf;
    page.required.clear();
    for (std::size_t i = 0; i < m_required.size(); ++i)
        if (m_required[i]->isChecked())
            page.required += std::string(kRequired[i].word) + ",";
    (m_mode == kUnitMode ? page.unitSlots : page.doctorSlots) = FromQString(m_slots->text());
    (m_mode == kUnitMode ? page.designatedDoctor : page.designatedUnit) =
        m_designated->SelectedCode();
    page.typeCode = m_type->SelectedCode();
    page.minutes = Number(m_minutes);
    page.afterDays = Number(m_afterDays);
    for (std::size_t d = 0; d < 7; ++d) {
        FirstVisitWeekday& w = page.weekdays[d];
        const auto& e = m_ranges[d];
        w.bookable = m_dayBoxes[d]->isChecked() ? 1 : 0;
        w.amFromHour = Number(e[0]);
        w.amFromMinute = Number(e[1]);
        w.amToHour = Number(e[2]);
        w.amToMinute = Number(e[3]);
        w.pmFromHour = Number(e[4]);
        w.pmFromMinute = Number(e[5]);
        w.pmToHour = Number(e[6]);
        w.pmToMinute = Number(e[7]);
        w.fixedTimes = FromQString(m_fixed[d]->text());
    }
}

void FirstVisitGroup::ShowPage(int index) {
    if (index < 0 || index >= m_pages.Count())
        return;
    m_shown = index;
    const CFirstAppoSetting& page = m_pages.Page(index);
    m_pageUrl->setText(ToQString(
        BookingSiteAddress::FirstVisitPage(BookingSiteAddress::Base(), m_clinicCode, index)));
    m_pageUrl->setCursorPosition(0);
    m_title->setText(ToQString(page.title));
    m_title->setCursorPosition(0);
    QString comment = ToQString(page.comment);
    comment.replace("\r\n", "\n");
    m_comment->setPlainText(comment);
    for (std::size_t i = 0; i < m_required.size(); ++i) {
        const bool on = page.required.find(kRequired[i].word) != std::string::npos;
        const bool blocked = m_required[i]->blockSignals(true);
        m_required[i]->setChecked(on);
        m_required[i]->blockSignals(blocked);
        m_required[i]->setEnabled(!(kRequired[i].keepOn && on));
    }
    m_slots->setText(ToQString(m_mode == kUnitMode ? page.unitSlots : page.doctorSlots));
    m_slots->setCursorPosition(0);
    FillResourceLists();
    {
        const bool blocked = m_minutes->blockSignals(true);
        m_minutes->setText(QString::number(page.minutes));
        m_minutes->blockSignals(blocked);
    }
    m_afterDays->setText(QString::number(page.afterDays));
    for (std::size_t d = 0; d < 7; ++d) {
        const FirstVisitWeekday& w = page.weekdays[d];
        auto& e = m_ranges[d];
        m_dayBoxes[d]->setChecked(w.bookable != 0);
        e[0]->setText(HourText(w.amFromHour));
        e[1]->setText(MinuteText(w.amFromMinute));
        e[2]->setText(HourText(w.amToHour));
        e[3]->setText(MinuteText(w.amToMinute));
        e[4]->setText(HourText(w.pmFromHour));
        e[5]->setText(MinuteText(w.pmFromMinute));
        e[6]->setText(HourText(w.pmToHour));
        e[7]->setText(MinuteText(w.pmToMinute));
        m_fixed[d]->setText(ToQString(w.fixedTimes));
    }
    CheckAllWeekdays();
}

void FirstVisitGroup::FillResourceLists() {
    const CFirstAppoSetting& page = m_pages.Page(m_shown);
    const std::string& designated =
        m_mode == kUnitMode ? page.designatedDoctor : page.designatedUnit;
    std::vector<PelmoEnumEntry> entries;
    std::string err;
    if (m_mode == kUnitMode)
        PelmoEnum::EnumDoctor(&m_sys, designated, 1, entries, err);
    else
        PelmoEnum::EnumUnit(&m_sys, designated, 1, entries, err);
    m_designated->Fill(entries, m_mode == kDoctorMode);
    m_designated->SelectCode(designated);
    PelmoEnum::EnumReservationType(&m_sys, page.typeCode, 0, entries, err);
    m_type->Fill(entries, true);
    m_type->SelectCode(page.typeCode);
}

void FirstVisitGroup::OnTabChanged(int index) {
    StoreShownPage();
    ShowPage(index);
}

void FirstVisitGroup::AddPage() {
    StoreShownPage();
    const int index = m_pages.Add();
    if (index < 0)
        return;
    const bool blocked = m_tabs->blockSignals(true);
    m_tabs->addTab(QString::number(index + 1));
    m_tabs->setCurrentIndex(index);
    m_tabs->blockSignals(blocked);
    ShowPage(index);
    UpdatePageButtons();
}

void FirstVisitGroup::DeletePage() {
    const int next = m_pages.Delete(m_shown);
    if (next < 0)
        return;
    const bool blocked = m_tabs->blockSignals(true);
    m_tabs->removeTab(m_shown);
    for (int i = 0; i < m_tabs->count(); ++i)
        m_tabs->setTabText(i, QString::number(i + 1));
    m_tabs->setCurrentIndex(next);
    m_tabs->blockSignals(blocked);
    ShowPage(next);
    UpdatePageButtons();
}

void FirstVisitGroup::UpdatePageButtons() {
    m_addPage->setEnabled(m_pages.CanAdd());
    m_deletePage->setEnabled(m_pages.CanDelete());
}

// ---- weekdays ---------------------------------------------------------------------------

void FirstVisitGroup::ApplyView() {
    const bool range = m_rangeView->isChecked();
    for (QWidget* w : m_rangeDecoration)
        w->setVisible(range);
    for (auto& edits : m_ranges)
        for (QLineEdit* e : edits)
            e->setVisible(range);
    for (QLineEdit* e : m_fixed)
        e->setVisible(!range);
    m_fromClinic->setEnabled(range);
    m_timesLabel->setText(range ? DialogText("予約可能時間帯")
                                : DialogText("予約時間 カンマ( , )区切りで入力 入力例 "
                                             "9:00,11:00,15:30"));
    UpdateNotes();
}

void FirstVisitGroup::CopyClinicHours() {
    for (std::size_t d = 0; d < 7; ++d) {
        const ClinicHours::Day& day = m_hours.days[d];
        auto& e = m_ranges[d];
        m_dayBoxes[d]->setChecked(!day.closed);
        e[0]->setText(QString::number(day.amFromHour));
        e[1]->setText(QString::asprintf("%02d", day.amFromMinute));
        e[2]->setText(QString::number(day.amToHour));
        e[3]->setText(QString::asprintf("%02d", day.amToMinute));
        e[4]->setText(QString::number(day.pmFromHour));
        e[5]->setText(QString::asprintf("%02d", day.pmFromMinute));
        e[6]->setText(QString::number(day.pmToHour));
        e[7]->setText(QString::asprintf("%02d", day.pmToMinute));
    }
}

void FirstVisitGroup::CheckWeekday(int weekday) {
    const std::size_t d = static_cast<std::size_t>(weekday - 1);
    QLineEdit* box = m_fixed[d];
    const std::string text = FromQString(box->text());
    m_results[d] =
        FixedTimesCheck::Check(text, m_hours.days[d], Number(m_minutes), m_hours.slotStep);
    const QString normalised = ToQString(FixedTimes::Normalised(text));
    if (box->text() != normalised)
        box->setText(normalised);
    SetTextColour(box, m_results[d] != 0);
}

void FirstVisitGroup::CheckAllWeekdays() {
    for (int d = 1; d <= 7; ++d)
        CheckWeekday(d);
    UpdateNotes();
}

void FirstVisitGroup::UpdateNotes() {
    m_noteNoSlots->setVisible(m_slots->text().isEmpty());
    bool outside = false;
    bool overlap = false;
    for (int r : m_results) {
        outside = outside || r % 10 == 1;
        overlap = overlap || r / 10 % 10 == 1;
    }
    const bool fixed = m_fixedView->isChecked();
    m_noteOutside->setVisible(fixed && outside);
    m_noteOverlap->setVisible(fixed && overlap);
}

bool FirstVisitGroup::eventFilter(QObject* watched, QEvent* event) {
    for (int d = 1; d <= 7; ++d) {
        if (watched != m_fixed[static_cast<std::size_t>(d - 1)])
            continue;
        if (event->type() == QEvent::FocusOut) {
            CheckWeekday(d);
            UpdateNotes();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                CheckWeekday(d);
                UpdateNotes();
                // Times that check out let Enter reach the dialog's default button (OK);
                // otherwise the dialog stays so they can be corrected.
                return CheckResult(d) != 0;
            }
        }
        break;
    }
    return QGroupBox::eventFilter(watched, event);
}

void FirstVisitGroup::ChooseSlots() {
    std::string slotCodes = FromQString(m_slots->text());
    if (!m_hooks.chooseSlots(m_mode, slotCodes))
        return;
    m_slots->setText(ToQString(slotCodes));
}
