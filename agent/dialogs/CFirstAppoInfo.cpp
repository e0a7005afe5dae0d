#include "agent/dialogs/CFirstAppoInfo.h"

#include "platform/qt/QtText.h"

#include <QFont>
#include <QGridLayout>
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

struct Field {
    int id;
    const char* labelUtf8;
};

// In the order of the window, top to bottom.
const Field kFields[] = {
    {CFirstAppoInfo::kKind, "種類"},         {CFirstAppoInfo::kWished, "希望日時"},
    {CFirstAppoInfo::kName, "氏名"},         {CFirstAppoInfo::kKana, "カナ"},
    {CFirstAppoInfo::kBirthday, "生年月日"}, {CFirstAppoInfo::kGender, "性別"},
    {CFirstAppoInfo::kAddress, "住所"},      {CFirstAppoInfo::kTel, "Tel"},
    {CFirstAppoInfo::kEmail, "E-mail"},      {CFirstAppoInfo::kContent, "相談内容"},
    {CFirstAppoInfo::kEntered, "入力日時"},
};

} // namespace

CFirstAppoInfo::CFirstAppoInfo(WebSession& web, const std::string& key,
                               const platform::Clock& clock, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(U("Web予約の詳細"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // One Japanese face for digits and kana alike; otherwise a cell's digits change face with
    // whether the cell also holds kana.
    QFont face = font();
    face.setFamilies({QStringLiteral("IPAPGothic"), face.family()});
    setFont(face);

    auto* main = new QVBoxLayout(this);
    m_status = new QLabel;
    m_status->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    m_status->hide();
    main->addWidget(m_status);

    // In the window before the fields, so each field is in it when its tab order is set.
    auto* grid = new QGridLayout;
    main->addLayout(grid);
    grid->setColumnStretch(1, 1);
    int row = 0;
    QWidget* previous = nullptr;
    for (const Field& f : kFields) {
        auto* label = new QLabel(U(f.labelUtf8));
        QWidget* field = nullptr;
        if (f.id == kContent) {
            m_content = new QPlainTextEdit;
            m_content->setReadOnly(true);
            m_content->setTabChangesFocus(true);
            m_content->setFixedHeight(m_content->fontMetrics().lineSpacing() * 5 + 12);
            field = m_content;
            grid->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignTop);
        } else {
            auto* edit = new QLineEdit;
            edit->setReadOnly(true);
            field = edit;
            grid->addWidget(label, row, 0);
        }
        field->setObjectName(QString::number(f.id));
        label->setBuddy(field);
        grid->addWidget(field, row, 1);
        m_fields[f.id] = field;
        if (previous)
            setTabOrder(previous, field);
        previous = field;
        ++row;
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_close = new QPushButton(U("閉じる"));
    m_close->setObjectName(QString::number(kClose));
    m_close->setDefault(true);
    buttons->addWidget(m_close);
    main->addLayout(buttons);
    setTabOrder(previous, m_close);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    resize(560, sizeHint().height());
    Show(FirstAppoDetails::Read(web, key, clock));
}

void CFirstAppoInfo::Show(const FirstAppoDetails::Load& load) {
    const FirstAppoDetails::Fields& f = load.fields;
    const std::map<int, const std::string*> texts = {
        {kKind, &f.kind},         {kWished, &f.wished},   {kName, &f.name},       {kKana, &f.kana},
        {kBirthday, &f.birthday}, {kGender, &f.gender},   {kAddress, &f.address}, {kTel, &f.tel},
        {kEmail, &f.email},       {kContent, &f.content}, {kEntered, &f.entered},
    };
    for (const auto& [id, text] : texts) {
        const QString value = platform::ToQString(*text);
        if (id == kContent)
            m_content->setPlainText(value);
        else {
            auto* edit = static_cast<QLineEdit*>(m_fields[id]);
            edit->setText(value);
            edit->setCursorPosition(0); // a long address shows its beginning
        }
    }
    m_status->setText(platform::ToQString(load.outcome.Line()));
    m_status->setToolTip(platform::ToQString(load.outcome.detail));
    m_status->setVisible(load.outcome.Failed());
}

QString CFirstAppoInfo::FieldText(int id) const {
    if (id == kContent)
        return m_content->toPlainText();
    const auto it = m_fields.find(id);
    if (it == m_fields.end())
        return {};
    return static_cast<QLineEdit*>(it->second)->text();
}
