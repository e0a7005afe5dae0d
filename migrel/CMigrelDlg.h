#pragma once
// The dialog "Migrel": pick the version-2 folder, see its database references, migrate.
#include "migrel/Migrator.h"

#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace platform {
class RegistryStore;
}

class CMigrelDlg : public QDialog {
    Q_OBJECT
public:
    // `registry` supplies the version-2 folder (read only, during construction). The migration
    // writes into `migrator`'s target folder; the dialog does not own `migrator`.
    CMigrelDlg(const platform::RegistryStore& registry, Migrator& migrator,
               QWidget* parent = nullptr);

    // Control ids as object names ("edit1003", "button1004", "check1000", "list1002",
    // "button1", "button2") so tests and tools can find them.
    QLineEdit* FolderEdit() const { return m_folder; }
    QCheckBox* TakeV2Check() const { return m_takeV2; }
    QTreeWidget* ReferenceList() const { return m_list; }
    QPushButton* MigrateButton() const { return m_ok; }

    // The result of the last "取得".
    const Migrator::Result& LastResult() const { return m_last; }

private:
    void Refresh();
    void OnBrowse();
    void OnMigrate();

    Migrator& m_migrator;
    Migrator::Result m_last;
    QLineEdit* m_folder = nullptr;
    QCheckBox* m_takeV2 = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
};
