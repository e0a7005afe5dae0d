#include "agent/dialogs/CNotificationInfo.h"

#include "agent/dialogs/CPatientSearch.h"
#include "agent/dialogs/DateEditText.h"
#include "platform/qt/QtText.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QDateEdit* DatePicker(const char* id, const std::string& ymd, QWidget* parent) {
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(id);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    const QDate date = DateOfYmd(ymd);
    edit->setDate(date.isValid() ? date : QDate::currentDate());
    return edit;
}

// The multi-line edit holds LF; the notice keeps CR LF.
std::string WithCrLf(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return platform::FromQString(t);
}

QString WithLf(const std::string& text) {
    QString t = platform::ToQString(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

} // namespace

CNotificationInfo::CNotificationInfo(NotificationEditor& editor, NoticeContext& ctx,
                                     ModalHooks hooks, QWidget* parent)
    : QDialog(parent), m_editor(editor), m_ctx(ctx), m_hooks(std::move(hooks)) {
    setWindowTitle(platform::ToQString(editor.Caption()));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    BuildControls();
    ShowPatient();
}

void CNotificationInfo::BuildControls() {
    const NotificationEditor::Form& form = m_editor.Initial();

    m_sendDate = DatePicker("1024", form.sendDate, this);
    m_patient = new QLineEdit(this);
    m_patient->setObjectName("1016");
    m_patient->setReadOnly(true);
    m_patient->setMinimumWidth(320);
    m_select = new QPushButton(U("選択"), this);
    m_select->setObjectName("1001");
    m_select->setAutoDefault(false);
    m_select->setEnabled(m_editor.Individual());

    m_useFrom = new QCheckBox(U("有効期限（開始）"), this);
    m_useFrom->setObjectName("4101");
    m_useFrom->setChecked(form.useValidFrom);
    m_from = DatePicker("1025", form.validFrom, this);
    m_from->setEnabled(form.useValidFrom);
    m_useTo = new QCheckBox(U("有効期限（終了）"), this);
    m_useTo->setObjectName("4102");
    m_useTo->setChecked(form.useValidTo);
    m_to = DatePicker("1026", form.validTo, this);
    m_to->setEnabled(form.useValidTo);

    m_title = new QLineEdit(platform::ToQString(form.title), this);
    m_title->setObjectName("1006");
    m_title->setMaxLength(255); // the web column's length
    m_content = new QPlainTextEdit(this);
    m_content->setObjectName("1013");
    m_content->setPlainText(WithLf(form.content));
    m_content->setTabChangesFocus(true);
    m_content->setMinimumHeight(8 * fontMetrics().lineSpacing());

    auto* patientRow = new QHBoxLayout;
    patientRow->addWidget(m_patient, 1);
    patientRow->addWidget(m_select);

    auto* sendDateRow = new QHBoxLayout;
    sendDateRow->addWidget(m_sendDate);
    sendDateRow->addStretch();

    auto* notice = new QGroupBox(U("内容"), this);
    auto* fields = new QFormLayout(notice);
    fields->addRow(U("送信日"), sendDateRow);
    fields->addRow(U("患者名"), patientRow);
    fields->addRow(U("タイトル"), m_title);
    fields->addRow(U("お知らせ"), m_content);

    auto* validity = new QGroupBox(U("有効期限"), this);
    auto* dates = new QGridLayout(validity);
    dates->addWidget(m_useFrom, 0, 0);
    dates->addWidget(m_from, 0, 1);
    dates->addWidget(m_useTo, 0, 2);
    dates->addWidget(m_to, 0, 3);
    dates->setColumnStretch(4, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(U("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName("1");
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(U("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName("2");
    connect(buttons, &QDialogButtonBox::accepted, this, &CNotificationInfo::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CNotificationInfo::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(notice, 1);
    layout->addWidget(validity);
    layout->addWidget(buttons);

    // Tab order follows the layout: the validity dates sit below the content.
    setTabOrder(m_sendDate, m_select);
    setTabOrder(m_select, m_title);
    setTabOrder(m_title, m_content);
    setTabOrder(m_content, m_useFrom);
    setTabOrder(m_useFrom, m_from);
    setTabOrder(m_from, m_useTo);
    setTabOrder(m_useTo, m_to);
    setTabOrder(m_to, ok);
    setTabOrder(ok, cancel);

    connect(m_useFrom, &QCheckBox::toggled, m_from, &QWidget::setEnabled);
    connect(m_useTo, &QCheckBox::toggled, m_to, &QWidget::setEnabled);
    connect(m_select, &QPushButton::clicked, this, &CNotificationInfo::OnSelectPatient);
}

void CNotificationInfo::ShowPatient() {
    m_patient->setText(platform::ToQString(m_editor.PatientText()));
}

NotificationEditor::Form CNotificationInfo::CurrentForm() const {
    NotificationEditor::Form f;
    f.sendDate = YmdOf(m_sendDate->date());
    f.useValidFrom = m_useFrom->isChecked();
    f.validFrom = YmdOf(m_from->date());
    f.useValidTo = m_useTo->isChecked();
    f.validTo = YmdOf(m_to->date());
    f.title = platform::FromQString(m_title->text());
    f.content = WithCrLf(m_content->toPlainText());
    return f;
}

void CNotificationInfo::OnSelectPatient() {
    m_ctx.directory.LoadPatientDirectory(m_ctx.web, m_ctx.databaseFolder, m_ctx.clock);
    m_ctx.web.Close(); // the directory read the login times; nothing else needs the connection
    CPatientSearch search(m_ctx.directory, m_hooks, this);
    if (m_hooks.run(search) != QDialog::Accepted)
        return;
    const tagPatientInfo& p = search.Selected();
    m_editor.SetPatient(p.key, p.displayNo, p.name, p.kana);
    ShowPatient();
}

void CNotificationInfo::accept() {
    const NotificationEditor::Form form = CurrentForm();
    const NotificationEditor::Check check = m_editor.Confirm(form);
    if (!check.refusal.empty()) {
        m_hooks.tell(this, check.refusal);
        switch (check.focus) {
        case NotificationEditor::Focus::Patient:
            m_select->setFocus();
            break;
        case NotificationEditor::Focus::Title:
            m_title->setFocus();
            break;
        case NotificationEditor::Focus::Content:
            m_content->setFocus();
            break;
        case NotificationEditor::Focus::None:
            break;
        }
        return;
    }
    if (!m_hooks.askYesNo(this, check.question))
        return;
    m_result = m_editor.Result(form);
    QDialog::accept();
}
