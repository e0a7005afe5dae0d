#include "migrel/CMigrelDlg.h"
#include "platform/Cp932.h"
#include "platform/RegistryStore.h"

#include "TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using platform::J;

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "migrel_dlg_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

template <class Modal> void AnswerModal(std::function<void(Modal*)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* w = qobject_cast<Modal*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start(10);
}

const char* kKey = "SOFTWARE\\Talmor\\Corvane2";

std::string V2Ini() {
    return J("[GLOBAL]\r\nDATABASE=/srv/corvane2/db/\r\n[DB-1]\r\nDATABASE=//nas/db1/\r\n"
             "[DB-3]\r\nDATABASE=/mnt/db3/\r\n");
}

class FailingMigrator : public Migrator {
public:
    using Migrator::Migrator;

protected:
    bool WriteReference(const std::string&, const Reference&) override { return false; }
};

// Types a path into the picker's name line, as a user would.
void Type(QFileDialog* dlg, const QString& path) {
    auto* edit = dlg->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_TRUE(edit);
    edit->setText(path);
}

} // namespace

TEST(CMigrelDlg, FolderFromRegistryListAndMigrate) {
    App();
    TempDir tmp;
    tmp.Write("v2/bin/PelmoV2.ini", V2Ini());
    tmp.Write("v3/PelmoV3.ini", "[GLOBAL]\r\nDATABASE=/srv/v3/\r\n");
    platform::RegistryStore registry(tmp.Path() + "registry/");
    ASSERT_TRUE(registry.SetString(platform::Hive::User, kKey, "BinDir", tmp.Path() + "v2/bin"));
    Migrator migrator(tmp.Path() + "v3/");

    CMigrelDlg dlg(registry, migrator);
    dlg.show();
    EXPECT_EQ(dlg.FolderEdit()->text().toStdString(), tmp.Path() + "v2/bin");
    EXPECT_TRUE(dlg.MigrateButton()->isEnabled());
    EXPECT_FALSE(dlg.TakeV2Check()->isChecked());
    QTreeWidget* list = dlg.ReferenceList();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "DB");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "DB-1");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "//nas/db1/");
    EXPECT_EQ(list->topLevelItem(2)->text(0), "DB-3");

    // A look at the layout on request.
    if (const char* dir = std::getenv("MIGREL_SCREENSHOT_DIR")) {
        QApplication::processEvents();
        dlg.grab().save(QString::fromLocal8Bit(dir) + "/migrel_dialog.png");
    }

    // A folder without PelmoV2.ini: nothing to take, the list empties.
    dlg.FolderEdit()->setText(QString::fromStdString(tmp.Path() + "v3"));
    EXPECT_FALSE(dlg.MigrateButton()->isEnabled());
    EXPECT_EQ(list->topLevelItemCount(), 0);

    // "参照" puts the chosen folder into the edit, which refreshes the list.
    QString title;
    AnswerModal<QFileDialog>([&](QFileDialog* picker) {
        title = picker->windowTitle();
        Type(picker, QString::fromStdString(tmp.Path() + "v2/bin"));
        static_cast<QDialog*>(picker)->accept();
    });
    dlg.findChild<QPushButton*>("button1004")->click();
    EXPECT_EQ(title, QString::fromUtf8("Ver.2 インストール先(binフォルダの指定)"));
    EXPECT_EQ(dlg.FolderEdit()->text().toStdString(), tmp.Path() + "v2/bin");
    EXPECT_EQ(list->topLevelItemCount(), 3);

    // "取得" with the box checked: version 3 gets version 2's file as it is, and the dialog ends.
    dlg.TakeV2Check()->setChecked(true);
    dlg.MigrateButton()->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(dlg.LastResult().iniReplaced);
    EXPECT_EQ(TempDir::Read(tmp.Path() + "v3/PelmoV3.ini"), V2Ini());
}

TEST(CMigrelDlg, NoRegistryValueAndFailedMigrationStayOpen) {
    App();
    TempDir tmp;
    tmp.Write("v2/PelmoV2.ini", V2Ini());
    const std::string old = "[GLOBAL]\r\nDATABASE=/srv/v3/\r\n";
    tmp.Write("v3/PelmoV3.ini", old);
    platform::RegistryStore registry(tmp.Path() + "registry/");
    FailingMigrator migrator(tmp.Path() + "v3/");

    CMigrelDlg dlg(registry, migrator);
    dlg.show();
    EXPECT_TRUE(dlg.FolderEdit()->text().isEmpty());
    EXPECT_FALSE(dlg.MigrateButton()->isEnabled());
    EXPECT_EQ(dlg.ReferenceList()->topLevelItemCount(), 0);

    dlg.FolderEdit()->setText(QString::fromStdString(tmp.Path() + "v2"));
    ASSERT_TRUE(dlg.MigrateButton()->isEnabled());
    bool warned = false;
    AnswerModal<QMessageBox>([&](QMessageBox* box) {
        warned = box->text().contains("PelmoV3.ini");
        box->accept();
    });
    dlg.MigrateButton()->click();
    EXPECT_TRUE(warned);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(TempDir::Read(tmp.Path() + "v3/PelmoV3.ini"), old);
}
