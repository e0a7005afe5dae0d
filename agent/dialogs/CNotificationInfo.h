#pragma once
// The notice editor: send date, addressee (individual notices), validity dates, title and
// content. A thin window over NotificationEditor; OK asks before it closes, and refuses a notice
// without addressee, title or content.
#include <QDialog>

#include "agent/dialogs/ModalHooks.h"
#include "agent/dialogs/NoticeContext.h"
#include "agent/dialogs/NotificationEditor.h"

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CNotificationInfo : public QDialog {
    Q_OBJECT
public:
    // editor and ctx must outlive the dialog.
    CNotificationInfo(NotificationEditor& editor, NoticeContext& ctx, ModalHooks hooks,
                      QWidget* parent = nullptr);

    // The form as the controls hold it.
    NotificationEditor::Form CurrentForm() const;
    // The edited notice; valid after the dialog closed with OK.
    const tagNotificationData& Result() const { return m_result; }

    // "選択": the patient search over the freshly loaded patient directory.
    void OnSelectPatient();
    void accept() override;

private:
    void BuildControls();
    void ShowPatient();

    NotificationEditor& m_editor;
    NoticeContext& m_ctx;
    ModalHooks m_hooks;
    tagNotificationData m_result;
    QDateEdit* m_sendDate = nullptr;
    QLineEdit* m_patient = nullptr;
    QPushButton* m_select = nullptr;
    QCheckBox* m_useFrom = nullptr;
    QDateEdit* m_from = nullptr;
    QCheckBox* m_useTo = nullptr;
    QDateEdit* m_to = nullptr;
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_content = nullptr;
};
