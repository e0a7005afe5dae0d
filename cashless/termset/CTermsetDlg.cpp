#include "CTermsetDlg.h"

#include "TermsetModel.h"
#include "platform/Cp932.h"
#include "platform/qt/QtText.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using platform::J;
using platform::ToQString;

namespace {
QString T(const char* utf8) {
    return ToQString(J(utf8));
}
} // namespace

CTermsetDlg::CTermsetDlg(TermsetModel& model, QWidget* parent) : QDialog(parent), m_model(model) {
    setWindowTitle(T("端末設定"));

    m_port = new QComboBox;
    m_port->setEditable(true);
    m_port->setInsertPolicy(QComboBox::NoInsert);
    m_port->setMinimumWidth(160);
    m_jtc16 = new QRadioButton("JT-C16");
    m_zec14 = new QRadioButton("ZEC-14");
    m_jtc60 = new QRadioButton(T("JT-C60（stera）"));
    // One group that may also have none checked, as the settings can leave it.
    auto* group = new QButtonGroup(this);
    group->setExclusive(false);
    for (auto* r : {m_jtc16, m_zec14, m_jtc60})
        group->addButton(r);
    group->setId(m_jtc16, TermsetModel::JtC16);
    group->setId(m_zec14, TermsetModel::Zec14);
    group->setId(m_jtc60, TermsetModel::JtC60);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) {
        m_model.SetPortText(platform::FromQString(m_port->currentText()));
        m_model.ClickRadio(static_cast<TermsetModel::Choice>(id));
        Paint();
        ShowMessages();
    });

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(T("接続ポート")), 0, 0);
    grid->addWidget(m_port, 0, 1);
    grid->addWidget(new QLabel(T("使用端末")), 1, 0, Qt::AlignTop);
    auto* radios = new QVBoxLayout;
    for (auto* r : {m_jtc16, m_zec14, m_jtc60})
        radios->addWidget(r);
    grid->addLayout(radios, 1, 1);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    buttons->addButton(T("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addWidget(buttons);

    m_inform = [this](const QString& text) { QMessageBox::information(this, T("端末設定"), text); };
}

QRadioButton* CTermsetDlg::Radio(int id) const {
    switch (id) {
    case TermsetModel::JtC16:
        return m_jtc16;
    case TermsetModel::Zec14:
        return m_zec14;
    case TermsetModel::JtC60:
        return m_jtc60;
    default:
        return nullptr;
    }
}

void CTermsetDlg::Start() {
    m_model.Open();
    Paint();
    ShowMessages();
}

void CTermsetDlg::Paint() {
    QStringList items;
    for (const auto& p : m_model.PortList())
        items << ToQString(p);
    const QString text = ToQString(m_model.PortText());
    m_port->clear();
    m_port->addItems(items);
    m_port->setEditText(text);
    for (int id : {TermsetModel::JtC16, TermsetModel::Zec14, TermsetModel::JtC60})
        Radio(id)->setChecked(m_model.Checked() == id);
}

void CTermsetDlg::ShowMessages() {
    for (const auto& m : m_model.TakeMessages())
        m_inform(ToQString(m));
}

void CTermsetDlg::accept() {
    m_model.SetPortText(platform::FromQString(m_port->currentText()));
    m_model.Ok();
    QDialog::accept();
}
