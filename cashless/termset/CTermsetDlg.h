#pragma once
// The "端末設定" window over a TermsetModel: port box, the three model buttons, OK and Cancel.
#include <QDialog>
#include <functional>

class QComboBox;
class QRadioButton;
class TermsetModel;

class CTermsetDlg : public QDialog {
    Q_OBJECT
public:
    // The model must outlive the window.
    explicit CTermsetDlg(TermsetModel& model, QWidget* parent = nullptr);

    // Dialog opening: loads the settings and shows any setup message.
    void Start();

    // Replaceable for tests: shows an information message.
    std::function<void(const QString&)> m_inform;

    QComboBox* PortBox() const { return m_port; }
    QRadioButton* Radio(int id) const;

    // OK: writes the settings and closes.
    void accept() override;

private:
    void Paint();
    void ShowMessages();

    TermsetModel& m_model;
    QComboBox* m_port = nullptr;
    QRadioButton* m_jtc16 = nullptr;
    QRadioButton* m_zec14 = nullptr;
    QRadioButton* m_jtc60 = nullptr;
};
