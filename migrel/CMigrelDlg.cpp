#include "migrel/CMigrelDlg.h"

#include "outside/tools/qt/CToolsQt.h"
#include "platform/Cp932.h"
#include "platform/RegistryStore.h"
#include "platform/qt/QtText.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

using platform::J;
using platform::ToQString;

namespace {
constexpr const char* kRegKey = "SOFTWARE\\Talmor\\Corvane2";
constexpr const char* kRegValue = "BinDir";
} // namespace

CMigrelDlg::CMigrelDlg(const platform::RegistryStore& registry, Migrator& migrator, QWidget* parent)
    : QDialog(parent), m_migrator(migrator) {
    setWindowTitle(QStringLiteral("Migrel"));
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveHDIcon));

    auto* intro = new QLabel(ToQString(J("Corvane 2 の環境設定を Corvane 3 に取り込みます。")));
    auto* folderLabel = new QLabel(ToQString(J("Ver.2 フォルダ")));
    m_folder = new QLineEdit;
    m_folder->setObjectName("edit1003");
    m_folder->setMaxLength(static_cast<int>(Migrator::kFolderBuf - 1));
    auto* browse = new QPushButton(ToQString(J("参照")));
    browse->setObjectName("button1004");
    browse->setAutoDefault(false);
    m_takeV2 = new QCheckBox(ToQString(J("DB参照先の取り込み")));
    m_takeV2->setObjectName("check1000");

    m_list = new QTreeWidget;
    m_list->setObjectName("list1002");
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({ToQString(J("種類")), ToQString(J("内容"))});
    m_list->header()->setStretchLastSection(false);
    m_list->setColumnWidth(0, 100);
    m_list->setColumnWidth(1, 300);

    m_ok = new QPushButton(ToQString(J("取得")));
    m_ok->setObjectName("button1");
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(ToQString(J("キャンセル")));
    cancel->setObjectName("button2");
    cancel->setAutoDefault(false);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folderLabel);
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(folderRow);
    layout->addWidget(m_takeV2);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(460, 300);

    connect(m_folder, &QLineEdit::textChanged, this, [this] { Refresh(); });
    connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(m_ok, &QPushButton::clicked, this, [this] { OnMigrate(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    Refresh();
    if (auto dir = registry.GetString(platform::Hive::User, kRegKey, kRegValue))
        m_folder->setText(ToQString(*dir));
}

void CMigrelDlg::Refresh() {
    m_list->clear();
    const Migrator::Scan scan = Migrator::ScanFolder(platform::FromQString(m_folder->text()));
    m_ok->setEnabled(scan.canMigrate);
    for (const Migrator::Reference& ref : scan.listed)
        new QTreeWidgetItem(m_list, {ToQString(ref.label), ToQString(ref.value)});
}

void CMigrelDlg::OnBrowse() {
    std::string path = platform::FromQString(m_folder->text());
    if (CToolsQt::BrowseFolder(this, path, J("Ver.2 インストール先(binフォルダの指定)")) == 1)
        m_folder->setText(ToQString(path));
}

void CMigrelDlg::OnMigrate() {
    m_last = m_migrator.Migrate(platform::FromQString(m_folder->text()), m_takeV2->isChecked());
    if (!m_last.ran)
        return;
    if (!m_last.iniReplaced) {
        // Closing as if done would let the clinic start version 3 without its settings.
        QMessageBox::warning(this, QStringLiteral("Migrel"),
                             ToQString(J("PelmoV3.ini の更新に失敗しました。変更していません。")) +
                                 QStringLiteral("\n") + ToQString(m_last.error));
        return;
    }
    accept();
}
