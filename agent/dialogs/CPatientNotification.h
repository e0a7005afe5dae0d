#pragma once
// A patient's send history "送信履歴": the patient's notices with read marks, the selected one's
// text, and deleting several at once. A thin window over PatientNoticeHistory. Top-most.
#include <QDialog>
#include <string>

#include "agent/dialogs/ModalHooks.h"
#include "agent/dialogs/NoticeContext.h"
#include "agent/dialogs/PatientNoticeHistory.h"

class DialogListView;
class QLabel;
class QPlainTextEdit;

class CPatientNotification : public QDialog {
    Q_OBJECT
public:
    // Reads the patient's notices at once. ctx must outlive the dialog.
    CPatientNotification(NoticeContext& ctx, std::string patientKey, QWidget* parent = nullptr,
                         ModalHooks hooks = ModalHooks::Desktop());

    PatientNoticeHistory& History() { return m_history; }
    DialogListView* ListView() const { return m_view; }
    QPlainTextEdit* DetailEdit() const { return m_detail; }
    QLabel* ProblemLine() const { return m_problem; }

    // "削除": the selected notices, after a confirmation.
    void OnDelete();

private:
    void BuildControls(const std::string& patientText);
    void ShowItems();
    void ShowDetail(int row);

    ModalHooks m_hooks;
    PatientNoticeHistory m_history;
    DialogListView* m_view = nullptr;
    QPlainTextEdit* m_detail = nullptr;
    QLabel* m_problem = nullptr;
};
