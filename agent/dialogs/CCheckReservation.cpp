#include "agent/dialogs/CCheckReservation.h"

#include "platform/Cp932.h"
#include "platform/qt/QtText.h"

#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

using platform::J;

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct Column {
    const char* titleUtf8;
    int widthInB; // column width as a multiple of the pixel width of the letter "B"
};

const std::vector<Column> kWebColumns = {
    {"id", 5},   {"登録日", 15}, {"希望日時", 20}, {"氏名", 40},     {"生年月日", 20},
    {"Tel", 20}, {"E-mail", 20}, {"住所", 30},     {"相談内容", 50},
};
const std::vector<Column> kAppColumns = {
    {"id", 5}, {"希望日時", 20}, {"予約種類", 20}, {"ID", 20}, {"氏名", 30}, {"次回予約", 30},
};

QTableWidget* MakeList(int id, const std::vector<Column>& columns) {
    auto* list = new QTableWidget(0, static_cast<int>(columns.size()));
    list->setObjectName(QString::number(id));
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(true);
    list->setWordWrap(false);
    list->verticalHeader()->hide();
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    const int b = list->fontMetrics().horizontalAdvance(QLatin1Char('B'));
    QStringList titles;
    for (const Column& c : columns)
        titles << U(c.titleUtf8);
    list->setHorizontalHeaderLabels(titles);
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        list->setColumnWidth(i, columns[static_cast<std::size_t>(i)].widthInB * b);
    return list;
}

// Replaces the list's rows; every cell carries its whole text as its tip, since most columns
// are narrower than their texts.
void Fill(QTableWidget* list, const std::vector<std::vector<std::string>>& rows) {
    list->clearContents();
    list->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& cells = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
            const QString text = platform::ToQString(cells[static_cast<std::size_t>(c)]);
            auto* item = new QTableWidgetItem(text);
            item->setToolTip(text);
            list->setItem(r, c, item);
        }
    }
}

// The ids (first column) of the selected rows, in list order.
std::vector<std::string> SelectedIds(const QTableWidget* list) {
    QModelIndexList rows = list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<std::string> ids;
    for (const QModelIndex& index : rows)
        if (const QTableWidgetItem* item = list->item(index.row(), 0))
            ids.push_back(platform::FromQString(item->text()));
    return ids;
}

QLabel* MakeStatusLine() {
    auto* line = new QLabel;
    line->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    line->hide();
    return line;
}

} // namespace

CCheckReservation::CCheckReservation(WebSession& web, const std::string& databaseFolder,
                                     const platform::Clock& clock, QWidget* parent)
    : QDialog(parent), m_review(web, databaseFolder, clock) {
    setWindowTitle(U("予約の重複エラー"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // One Japanese face for digits and kana alike; otherwise a cell's digits change face with
    // whether the cell also holds kana.
    QFont face = font();
    face.setFamilies({QStringLiteral("IPAPGothic"), face.family()});
    setFont(face);

    m_lists[kWebList] = MakeList(kWebList, kWebColumns);
    m_lists[kAppList] = MakeList(kAppList, kAppColumns);
    m_status[kWebList] = MakeStatusLine();
    m_status[kAppList] = MakeStatusLine();
    auto button = [this](int id, const char* textUtf8) {
        auto* b = new QPushButton(U(textUtf8));
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false);
        m_buttons[id] = b;
        return b;
    };
    auto group = [&](const char* titleUtf8, int listId, int deleteId) {
        auto* box = new QGroupBox(U(titleUtf8));
        auto* layout = new QVBoxLayout(box);
        layout->addWidget(m_status[listId]);
        layout->addWidget(m_lists[listId], 1);
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        row->addWidget(button(deleteId, "削除"));
        layout->addLayout(row);
        return box;
    };

    auto* main = new QVBoxLayout(this);
    main->addWidget(group("Web予約の（重複エラー）", kWebList, kDeleteWeb), 1);
    main->addWidget(group("アプリからの予約リクエスト（重複エラー）", kAppList, kDeleteApp), 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(button(kReload, "更新"));
    bottom->addStretch(1);
    QPushButton* close = button(kClose, "閉じる");
    close->setDefault(true);
    bottom->addWidget(close);
    main->addLayout(bottom);

    setTabOrder(m_lists[kWebList], m_buttons[kDeleteWeb]);
    setTabOrder(m_buttons[kDeleteWeb], m_lists[kAppList]);
    setTabOrder(m_lists[kAppList], m_buttons[kDeleteApp]);
    setTabOrder(m_buttons[kDeleteApp], m_buttons[kReload]);
    setTabOrder(m_buttons[kReload], close);

    connect(m_buttons[kDeleteWeb], &QPushButton::clicked, this, [this] { Delete(kWebList); });
    connect(m_buttons[kDeleteApp], &QPushButton::clicked, this, [this] { Delete(kAppList); });
    connect(m_buttons[kReload], &QPushButton::clicked, this, &CCheckReservation::Reload);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    resize(1000, 640);
    Reload();
}

CCheckReservation::~CCheckReservation() = default;

QTableWidget* CCheckReservation::List(int id) const {
    const auto it = m_lists.find(id);
    return it == m_lists.end() ? nullptr : it->second;
}

QPushButton* CCheckReservation::Button(int id) const {
    const auto it = m_buttons.find(id);
    return it == m_buttons.end() ? nullptr : it->second;
}

QLabel* CCheckReservation::StatusLine(int listId) const {
    const auto it = m_status.find(listId);
    return it == m_status.end() ? nullptr : it->second;
}

int CCheckReservation::Loads(int listId) const {
    const auto it = m_loads.find(listId);
    return it == m_loads.end() ? 0 : it->second;
}

void CCheckReservation::Reload() {
    LoadWebBookings();
    LoadAppRequests();
}

void CCheckReservation::ShowOutcome(int listId, const ReviewOutcome& outcome) {
    QLabel* line = m_status[listId];
    line->setText(platform::ToQString(outcome.Line()));
    line->setToolTip(platform::ToQString(outcome.detail));
    line->setVisible(outcome.Failed());
}

void CCheckReservation::LoadWebBookings() {
    ++m_loads[kWebList];
    const auto load = m_review.LoadWebBookings();
    std::vector<std::vector<std::string>> rows;
    for (const auto& r : load.rows)
        rows.push_back(
            {r.id, r.updated, r.wished, r.name, r.birthday, r.tel, r.email, r.address, r.content});
    Fill(m_lists[kWebList], rows);
    ShowOutcome(kWebList, load.outcome);
}

void CCheckReservation::LoadAppRequests() {
    ++m_loads[kAppList];
    const auto load = m_review.LoadAppRequests();
    std::vector<std::vector<std::string>> rows;
    for (const auto& r : load.rows)
        rows.push_back({r.id, r.wished, r.type, r.patientId, r.patientName, r.next});
    Fill(m_lists[kAppList], rows);
    ShowOutcome(kAppList, load.outcome);
}

void CCheckReservation::Delete(int listId) {
    const std::vector<std::string> ids = SelectedIds(m_lists[listId]);
    if (ids.empty())
        return;
    const bool web = listId == kWebList;
    const std::string question =
        J(web ? "選択中のWeb予約を削除します。" : "選択中の予約リクエストを削除します。");
    bool confirmed = false;
    if (m_confirm) {
        confirmed = m_confirm(question);
    } else {
        QMessageBox box(QMessageBox::Question, windowTitle(), platform::ToQString(question),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
        confirmed = box.exec() == QMessageBox::Ok;
    }
    if (!confirmed)
        return;

    const auto run = web ? m_review.DeleteWebBookings(ids) : m_review.DeleteAppRequests(ids);
    if (run.deleted > 0) {
        if (web)
            LoadWebBookings();
        else
            LoadAppRequests();
    }
    if (run.failed == 0)
        return;
    // The count first; then why, when the server could not be reached at all.
    std::string text = run.FailureLine();
    if (run.outcome.kind == ReviewOutcome::NoConnection)
        text += "\n" + run.outcome.Line();
    if (m_report) {
        m_report(text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, windowTitle(), platform::ToQString(text), QMessageBox::Ok,
                    this);
    box.setDetailedText(platform::ToQString(run.outcome.detail));
    box.exec();
}
