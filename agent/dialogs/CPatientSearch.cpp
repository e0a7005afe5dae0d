#include "agent/dialogs/CPatientSearch.h"

#include "agent/dialogs/DialogListView.h"
#include "outside/tools/qt/CToolsQt.h"
#include "platform/qt/QtText.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const char* const kWindowName = "PatientSearch";
const char* const kListName = "PatientSearchList";

} // namespace

CPatientSearch::CPatientSearch(const PatientDirectory& directory, ModalHooks hooks, QWidget* parent)
    : QDialog(parent), m_hooks(std::move(hooks)), m_list(directory) {
    setWindowTitle(U("患者選択"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    BuildControls();
    resize(minimumSizeHint());
    CToolsQt::LoadWindowPos(this, kWindowName);
    CToolsQt::LoadListCtrlWidth(m_view, kListName);
    OnFilter();
    m_search->setFocus();
}

void CPatientSearch::BuildControls() {
    m_search = new QLineEdit(this);
    m_search->setObjectName("1006");
    auto* label = new QLabel(U("検索条件"), this);
    label->setBuddy(m_search);
    m_deleted = new QCheckBox(U("削除済みも表示"), this);
    m_deleted->setObjectName("4101");
    auto* search = new QPushButton(U("検索"), this);
    search->setObjectName("1");
    search->setDefault(true);

    auto* conditions = new QGroupBox(U("表示条件"), this);
    auto* row = new QHBoxLayout(conditions);
    row->addWidget(label);
    row->addWidget(m_search, 1);
    row->addWidget(search);
    row->addWidget(m_deleted);

    m_view = new DialogListView(PatientSearchList::Columns(),
                                {[this] { return static_cast<int>(m_list.Rows().size()); },
                                 [this](int r, int column) { return m_list.CellText(r, column); },
                                 [this](int r) {
                                     return r < static_cast<int>(m_list.Rows().size()) &&
                                            m_list.Rows()[r].deleted;
                                 }},
                                false, this);
    m_view->setObjectName("1022");
    int width = 0;
    for (int i = 0; i < m_view->model()->columnCount(); ++i)
        width += m_view->columnWidth(i);
    m_view->setMinimumSize(width + 4, 14 * m_view->verticalHeader()->defaultSectionSize());

    auto* pick = new QPushButton(U("選択"), this);
    pick->setObjectName("1001");
    pick->setAutoDefault(true); // Enter on a focused button presses that button
    auto* cancel = new QPushButton(U("キャンセル"), this);
    cancel->setObjectName("2");
    cancel->setAutoDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(pick);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(conditions);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);

    setTabOrder(m_search, search);
    setTabOrder(search, m_deleted);
    setTabOrder(m_deleted, m_view);
    setTabOrder(m_view, pick);
    setTabOrder(pick, cancel);

    // A click on "検索" searches wherever the focus was; only Enter depends on the focus.
    connect(search, &QPushButton::clicked, this, &CPatientSearch::OnFilter);
    connect(m_deleted, &QCheckBox::toggled, this, &CPatientSearch::OnFilter);
    connect(pick, &QPushButton::clicked, this, &CPatientSearch::OnPick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_view, &DialogListView::rowDoubleClicked, this, [this](int) { OnPick(); });
    connect(m_view, &DialogListView::headerClicked, this, [this](int column) {
        m_list.SortBy(column);
        m_view->Reload();
        m_view->ShowSortOrder(m_list.SortOrder());
    });
}

void CPatientSearch::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            OnEnter();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void CPatientSearch::OnEnter() {
    // The dialog's focus child, so that the answer does not depend on the window being active.
    if (focusWidget() == m_search)
        OnFilter();
    else
        OnPick();
}

void CPatientSearch::OnFilter() {
    m_list.SetShowDeleted(m_deleted->isChecked());
    m_list.SetSearchText(platform::FromQString(m_search->text()));
    m_list.Filter();
    m_view->Reload();
    m_view->ShowSortOrder(m_list.SortOrder());
    if (!m_list.Rows().empty())
        m_view->SelectRow(0);
}

void CPatientSearch::OnPick() {
    const int row = m_view->SelectedRow();
    if (row < 0)
        return;
    m_selected = m_list.Rows()[row];
    accept();
}

void CPatientSearch::done(int result) {
    CToolsQt::SaveWindowPos(this, kWindowName);
    CToolsQt::SaveListCtrlWidth(m_view, kListName);
    QDialog::done(result);
}
