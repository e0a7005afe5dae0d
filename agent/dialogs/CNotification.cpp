#include "agent/dialogs/CNotification.h"

#include "agent/dialogs/CNotificationInfo.h"
#include "agent/dialogs/DateEditText.h"
#include "agent/dialogs/DialogListView.h"
#include "agent/dialogs/NotificationEditor.h"
#include "outside/tools/qt/CToolsQt.h"
#include "platform/Cp932.h"
#include "platform/qt/QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using platform::J;

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const char* const kWindowName = "Notification";
const char* const kListName = "NotificationList";

QDateEdit* DatePicker(const char* id, QWidget* parent) {
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(id);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    return edit;
}

QPushButton* Button(const char* id, const char* textUtf8, QWidget* parent) {
    auto* button = new QPushButton(U(textUtf8), parent);
    button->setObjectName(id);
    button->setAutoDefault(false);
    return button;
}

} // namespace

CNotification::CNotification(NoticeContext& ctx, QWidget* parent, ModalHooks hooks)
    : QDialog(parent), m_ctx(ctx), m_hooks(std::move(hooks)), m_list(ctx) {
    setWindowTitle(U("お知らせ"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    BuildControls();
    resize(minimumSizeHint());
    CToolsQt::LoadWindowPos(this, kWindowName);
    CToolsQt::LoadListCtrlWidth(m_view, kListName);

    m_list.Open();
    m_from->setDate(DateOfYmd(m_list.RangeFrom()));
    m_to->setDate(DateOfYmd(m_list.RangeTo()));
    ShowRows();
}

void CNotification::BuildControls() {
    m_all = new QRadioButton(U("全体"), this);
    m_all->setObjectName("1004");
    m_all->setChecked(true);
    m_individual = new QRadioButton(U("個別"), this);
    m_individual->setObjectName("1005");
    auto* modes = new QButtonGroup(this);
    modes->addButton(m_all);
    modes->addButton(m_individual);
    auto* target = new QGroupBox(U("送信先"), this);
    auto* targetRow = new QHBoxLayout(target);
    targetRow->addWidget(m_all);
    targetRow->addWidget(m_individual);
    targetRow->addStretch();

    m_expired = new QCheckBox(U("期限切れも表示"), this);
    m_expired->setObjectName("4101");
    m_useRange = new QCheckBox(U("日付範囲"), this);
    m_useRange->setObjectName("4102");
    m_useRange->setChecked(true);
    m_from = DatePicker("1024", this);
    m_to = DatePicker("1025", this);
    m_search = new QLineEdit(this);
    m_search->setObjectName("1006");
    auto* searchLabel = new QLabel(U("検索条件"), this);
    searchLabel->setBuddy(m_search);
    auto* search = new QPushButton(U("検索"), this);
    search->setObjectName("1");
    search->setDefault(true);

    auto* conditions = new QGroupBox(U("表示条件"), this);
    auto* grid = new QGridLayout(conditions);
    grid->addWidget(m_useRange, 0, 0);
    auto* range = new QHBoxLayout;
    range->addWidget(m_from);
    range->addWidget(new QLabel(U("～"), this));
    range->addWidget(m_to);
    range->addStretch();
    grid->addLayout(range, 0, 1);
    grid->addWidget(m_expired, 0, 2);
    grid->addWidget(searchLabel, 1, 0);
    grid->addWidget(m_search, 1, 1, 1, 2);
    grid->addWidget(search, 1, 3);
    grid->setColumnStretch(1, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(target);
    top->addWidget(conditions, 1);

    m_problem = new QLabel(this);
    m_problem->setObjectName("problem");
    m_problem->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0);"));
    m_problem->setWordWrap(true);
    m_problem->hide();

    m_view = new DialogListView(
        NotificationList::Columns(),
        {[this] { return static_cast<int>(m_list.Rows().size()); },
         [this](int row, int column) { return m_list.CellText(row, column); },
         [this](int row) {
             return row < static_cast<int>(m_list.Rows().size()) && !m_list.Rows()[row].current;
         }},
        false, this);
    m_view->setObjectName("1022");
    // Wide enough for every column at its starting width.
    int width = 0;
    for (int i = 0; i < m_view->model()->columnCount(); ++i)
        width += m_view->columnWidth(i);
    m_view->setMinimumSize(width + 4, 14 * m_view->verticalHeader()->defaultSectionSize());

    auto* newButton = Button("1001", "新規", this);
    auto* edit = Button("1002", "編集", this);
    auto* copy = Button("1009", "複製", this);
    auto* remove = Button("1003", "削除", this);
    m_refresh = Button("1023", "更新", this);
    m_refresh->setEnabled(false);
    auto* close = Button("2", "閉じる", this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {newButton, edit, copy, remove, m_refresh})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_problem);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);

    setTabOrder(m_all, m_individual);
    setTabOrder(m_individual, m_useRange);
    setTabOrder(m_useRange, m_from);
    setTabOrder(m_from, m_to);
    setTabOrder(m_to, m_expired);
    setTabOrder(m_expired, m_search);
    setTabOrder(m_search, search);
    setTabOrder(search, m_view);
    setTabOrder(m_view, newButton);
    setTabOrder(newButton, edit);
    setTabOrder(edit, copy);
    setTabOrder(copy, remove);
    setTabOrder(remove, m_refresh);
    setTabOrder(m_refresh, close);

    connect(m_all, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ModeClicked();
    });
    connect(m_individual, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ModeClicked();
    });
    connect(m_expired, &QCheckBox::toggled, this, [this](bool on) {
        m_list.SetShowExpired(on);
        ApplyRange();
        m_list.Filter();
        ShowRows();
    });
    connect(m_useRange, &QCheckBox::toggled, this, [this](bool on) {
        m_from->setEnabled(on);
        m_to->setEnabled(on);
        m_list.SetUseRange(on);
        ApplyRange();
        m_list.Filter();
        ShowRows();
    });
    connect(search, &QPushButton::clicked, this, &CNotification::OnSearch);
    connect(newButton, &QPushButton::clicked, this, &CNotification::OnNew);
    connect(edit, &QPushButton::clicked, this, &CNotification::OnEdit);
    connect(copy, &QPushButton::clicked, this, &CNotification::OnCopy);
    connect(remove, &QPushButton::clicked, this, &CNotification::OnDelete);
    connect(m_refresh, &QPushButton::clicked, this, &CNotification::OnRefresh);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_view, &DialogListView::headerClicked, this, [this](int column) {
        m_list.SortBy(column);
        ShowRows();
    });
    connect(m_view, &DialogListView::rowDoubleClicked, this, [this](int) { OnEdit(); });
}

// The filter always works on what the controls show, as after "検索".
void CNotification::ApplyRange() {
    m_list.SetRange(YmdOf(m_from->date()), YmdOf(m_to->date()));
    m_list.SetSearchText(platform::FromQString(m_search->text()));
}

void CNotification::ModeClicked() {
    const bool individual = m_individual->isChecked();
    m_list.SetMode(individual ? NotificationList::Individual : NotificationList::AllPatients);
    m_refresh->setEnabled(individual);
    ApplyRange();
    m_list.ModeChanged();
    ShowRows();
}

void CNotification::ShowRows(const std::string& selectId) {
    m_view->Reload();
    m_view->ShowSortOrder(m_list.SortOrder());
    m_problem->setText(platform::ToQString(m_list.Problem()));
    m_problem->setVisible(!m_list.Problem().empty());
    if (selectId.empty())
        return;
    const auto& rows = m_list.Rows();
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        if (rows[i].id == selectId) {
            m_view->SelectRow(i);
            break;
        }
    }
}

void CNotification::OnSearch() {
    ApplyRange();
    m_list.Search();
    ShowRows();
}

void CNotification::OnRefresh() {
    m_list.RefreshReadMarks();
    ShowRows();
}

void CNotification::Edit(const tagNotificationData& notice) {
    NotificationEditor editor(m_list.GetMode() == NotificationList::Individual, notice,
                              m_ctx.clock);
    CNotificationInfo info(editor, m_ctx, m_hooks, this);
    if (m_hooks.run(info) != QDialog::Accepted)
        return;
    tagNotificationData saved = info.Result();
    const NotificationStore::SaveResult r = m_list.Save(saved);
    if (!r.ok) {
        // The list keeps what it showed; a notice that did not reach the web must not look
        // as if it had.
        m_hooks.tell(this, (r.insertedWithoutId
                                ? J("お知らせは送信しましたが、一覧に加えられませんでした。\n")
                                : J("お知らせを保存できませんでした。\n")) +
                               r.error);
        ShowRows();
        return;
    }
    ShowRows(saved.id);
}

void CNotification::OnNew() {
    Edit(m_list.NewNotice());
}

void CNotification::OnEdit() {
    const int row = m_view->SelectedRow();
    if (row >= 0)
        Edit(m_list.Rows()[row]);
}

void CNotification::OnCopy() {
    const int row = m_view->SelectedRow();
    if (row >= 0)
        Edit(m_list.CopyOf(row));
}

void CNotification::OnDelete() {
    const int row = m_view->SelectedRow();
    if (row < 0)
        return;
    const std::string title = m_list.Rows()[row].title;
    if (!m_hooks.askOkCancel(this, J("お知らせ [") + title + J("] を削除します。")))
        return;
    const NoticeResult r = m_list.Delete(row);
    if (!r.ok) {
        // The notice is still on the web, so it stays listed.
        ShowRows(m_list.Rows()[row].id);
        m_hooks.tell(this, J("お知らせを削除できませんでした。\n") + r.error);
        return;
    }
    ShowRows();
}

void CNotification::done(int result) {
    CToolsQt::SaveWindowPos(this, kWindowName);
    CToolsQt::SaveListCtrlWidth(m_view, kListName);
    QDialog::done(result);
}
