#include "agent/dialogs/CPatientNotification.h"

#include "agent/dialogs/DialogListView.h"
#include "platform/Cp932.h"
#include "platform/qt/QtText.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using platform::J;

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

CPatientNotification::CPatientNotification(NoticeContext& ctx, std::string patientKey,
                                           QWidget* parent, ModalHooks hooks)
    : QDialog(parent), m_hooks(std::move(hooks)), m_history(ctx, std::move(patientKey)) {
    setWindowTitle(U("送信履歴"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    BuildControls(m_history.PatientText());
    resize(minimumSizeHint());

    const NoticeResult r = m_history.Load();
    m_problem->setText(platform::ToQString(r.ProblemLine()));
    m_problem->setVisible(!r.ok);
    ShowItems();
}

void CPatientNotification::BuildControls(const std::string& patientText) {
    auto* patient = new QLabel(U("患者：") + platform::ToQString(patientText), this);
    patient->setObjectName("patient");

    m_problem = new QLabel(this);
    m_problem->setObjectName("problem");
    m_problem->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0);"));
    m_problem->setWordWrap(true);
    m_problem->hide();

    m_view =
        new DialogListView(PatientNoticeHistory::Columns(),
                           {[this] { return static_cast<int>(m_history.Items().size()); },
                            [this](int row, int column) { return m_history.CellText(row, column); },
                            {}},
                           true, this);
    m_view->setObjectName("1022");
    int width = 0;
    for (int i = 0; i < m_view->model()->columnCount(); ++i)
        width += m_view->columnWidth(i);
    m_view->setMinimumSize(width + 4, 10 * m_view->verticalHeader()->defaultSectionSize());

    m_detail = new QPlainTextEdit(this);
    m_detail->setObjectName("1006");
    m_detail->setReadOnly(true);
    m_detail->setMinimumHeight(7 * fontMetrics().lineSpacing());

    auto* remove = new QPushButton(U("削除"), this);
    remove->setObjectName("1001");
    remove->setAutoDefault(false);
    auto* close = new QPushButton(U("閉じる"), this);
    close->setObjectName("2");
    close->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(patient);
    layout->addWidget(m_problem);
    layout->addWidget(m_view, 2);
    layout->addWidget(m_detail, 1);
    layout->addLayout(buttons);

    setTabOrder(m_view, m_detail);
    setTabOrder(m_detail, remove);
    setTabOrder(remove, close);

    connect(remove, &QPushButton::clicked, this, &CPatientNotification::OnDelete);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_view, &DialogListView::selectedRowChanged, this,
            [this](int row) { ShowDetail(row); });
}

void CPatientNotification::ShowItems() {
    m_view->Reload();
    ShowDetail(-1);
}

void CPatientNotification::ShowDetail(int row) {
    const auto& items = m_history.Items();
    if (row < 0 || row >= static_cast<int>(items.size())) {
        m_detail->clear();
        return;
    }
    QString text = platform::ToQString(PatientNoticeHistory::Detail(items[row]));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_detail->setPlainText(text);
}

void CPatientNotification::OnDelete() {
    const std::vector<int> rows = m_view->SelectedRows();
    if (rows.empty())
        return;
    if (!m_hooks.askOkCancel(this, J("選択中のお知らせを削除します。")))
        return;
    const auto failures = m_history.Delete(rows);
    ShowItems();
    if (failures.empty())
        return;
    // The notices that could not be deleted are still on the web and stay listed.
    std::string text = J("次のお知らせを削除できませんでした。");
    for (const auto& f : failures)
        text += "\n[" + f.notice.title + "] " + f.result.error;
    m_hooks.tell(this, text);
}
