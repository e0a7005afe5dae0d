#include "CSetting.h"

#include "outside/tools/CTools.h"
#include "outside/tools/qt/CBrowseForFolder.h"
#include "platform/Cp932.h"
#include "platform/qt/QtText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using platform::J;
using platform::ToQString;

CSetting::CSetting(QWidget* parent, const std::string& databaseFolder, bool dbCheck)
    : QDialog(parent) {
    setWindowTitle(ToQString(J("設定")));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(ToQString(J("DBフォルダ"))), 0, 0);
    m_folder = new QLineEdit(ToQString(databaseFolder));
    m_folder->setMinimumWidth(360);
    grid->addWidget(m_folder, 0, 1);
    auto* browse = new QPushButton("...");
    grid->addWidget(browse, 0, 2);
    m_dbCheck = new QCheckBox(ToQString(J("確認画面表示")));
    m_dbCheck->setChecked(dbCheck);
    grid->addWidget(m_dbCheck, 1, 1);

    auto* buttons = new QHBoxLayout;
    auto* closeKiosk = new QPushButton(ToQString(J("チェックイン画面を閉じる")));
    auto* ok = new QPushButton("OK");
    auto* cancel = new QPushButton(ToQString(J("キャンセル")));
    ok->setDefault(true);
    buttons->addWidget(closeKiosk);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 3);

    connect(browse, &QPushButton::clicked, this, &CSetting::BrowseFolder);
    connect(closeKiosk, &QPushButton::clicked, this, [this] { done(kCloseKiosk); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::string CSetting::DatabaseFolder() const {
    return platform::FromQString(m_folder->text());
}

bool CSetting::DbCheck() const {
    return m_dbCheck->isChecked();
}

void CSetting::BrowseFolder() {
    std::string initial = DatabaseFolder();
    CTools::LastDelimAdd(initial);
    CBrowseForFolder picker(this, nullptr, J("Databaseフォルダ"));
    picker.SetInitialSelection(initial);
    picker.SetFlags(CBrowseForFolder::BIF_DONTGOBELOWDOMAIN);
    if (picker.SelectFolder())
        m_folder->setText(ToQString(picker.GetSelectedFolder()));
}
