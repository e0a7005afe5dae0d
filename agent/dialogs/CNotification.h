#pragma once
// The notice list "お知らせ": notices to all patients and to single patients, with search,
// create, edit, copy and delete. A thin window over NotificationList; the editor is
// CNotificationInfo. Top-most; position and column widths are kept between openings.
#include <QDialog>
#include <string>

#include "agent/dialogs/ModalHooks.h"
#include "agent/dialogs/NoticeContext.h"
#include "agent/dialogs/NotificationList.h"

class DialogListView;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CNotification : public QDialog {
    Q_OBJECT
public:
    // Loads the notices to all patients at once. ctx must outlive the dialog.
    explicit CNotification(NoticeContext& ctx, QWidget* parent = nullptr,
                           ModalHooks hooks = ModalHooks::Desktop());

    NotificationList& List() { return m_list; }
    DialogListView* ListView() const { return m_view; }
    // The line that says the web could not be read (hidden while there is nothing to say).
    QLabel* ProblemLine() const { return m_problem; }

    // The buttons' commands; the row is the list's selection.
    void OnNew();
    void OnEdit();
    void OnCopy();
    void OnDelete();
    void OnSearch();
    void OnRefresh();

    void done(int result) override;

private:
    void BuildControls();
    void ApplyRange();
    void ModeClicked();
    void ShowRows(const std::string& selectId = {});
    void Edit(const tagNotificationData& notice);

    NoticeContext& m_ctx;
    ModalHooks m_hooks;
    NotificationList m_list;
    DialogListView* m_view = nullptr;
    QCheckBox* m_expired = nullptr;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_individual = nullptr;
    QCheckBox* m_useRange = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QLineEdit* m_search = nullptr;
    QLabel* m_problem = nullptr;
    QPushButton* m_refresh = nullptr;
};
