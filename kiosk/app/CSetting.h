#pragma once
// The settings dialog "設定" opened with F12: database folder, lookup switch, and the one way to
// end the kiosk. Values are CP932 in and out.
#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;

class CSetting : public QDialog {
    Q_OBJECT
public:
    // exec() result of "チェックイン画面を閉じる": the kiosk ends.
    static constexpr int kCloseKiosk = 100;

    CSetting(QWidget* parent, const std::string& databaseFolder, bool dbCheck);

    std::string DatabaseFolder() const;
    bool DbCheck() const;

    // The folder picker behind "..."; puts the chosen folder into the edit.
    void BrowseFolder();

private:
    QLineEdit* m_folder;
    QCheckBox* m_dbCheck;
};
