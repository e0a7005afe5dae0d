#pragma once
// "URL設定": the two links the patient-card app shows (address and heading each). OK stores them
// in the settings file and then in the clinic's row of `hospital_infos`; when the web database
// cannot be reached or the row cannot be looked up the dialog says so and stays open (the file
// already holds the new values); a refused statement is shown and the dialog closes.
#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;
class QPushButton;
class WebSession;

class CUrlSetting : public QDialog {
    Q_OBJECT
public:
    // web must outlive the dialog.
    CUrlSetting(WebSession& web, std::string clinicCode, QWidget* parent = nullptr);

    // Controls by their ids: edits 1006, 1013, 1016, 1017; buttons 1001, 1002.
    QWidget* Control(int id) const;

    // Message boxes (CP932 text); tests replace them.
    void SetInform(std::function<void(const std::string&)> inform) { m_inform = std::move(inform); }
    // The shell's "open"; tests replace it.
    void SetOpener(std::function<bool(const std::string&)> open) { m_open = std::move(open); }

public slots:
    void accept() override;

private:
    void Open(QLineEdit* edit);

    WebSession& m_web;
    std::string m_clinicCode;
    QLineEdit* m_url = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_url2 = nullptr;
    QLineEdit* m_title2 = nullptr;
    QPushButton* m_open1 = nullptr;
    QPushButton* m_open2 = nullptr;
    std::function<void(const std::string&)> m_inform;
    std::function<bool(const std::string&)> m_open;
};
