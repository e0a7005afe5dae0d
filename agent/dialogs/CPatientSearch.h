#pragma once
// The patient search "患者選択": the patient directory filtered by search words, deleted
// patients only on request (in grey). Enter in the search edit and the button "検索" filter;
// Enter elsewhere, "選択" and a double click take the selected patient. Top-most; position and
// column widths are kept between openings.
#include <QDialog>

#include "agent/dialogs/ModalHooks.h"
#include "agent/dialogs/PatientSearchList.h"

class DialogListView;
class QCheckBox;
class QLineEdit;
class QPushButton;

class CPatientSearch : public QDialog {
    Q_OBJECT
public:
    // directory must outlive the dialog and be loaded already (LoadPatientDirectory).
    CPatientSearch(const PatientDirectory& directory, ModalHooks hooks, QWidget* parent = nullptr);

    PatientSearchList& List() { return m_list; }
    DialogListView* ListView() const { return m_view; }
    QLineEdit* SearchEdit() const { return m_search; }
    // The patient taken; valid after the dialog closed with OK.
    const tagPatientInfo& Selected() const { return m_selected; }

    // Enter on the dialog: filters while the search edit has the focus, else picks.
    void OnEnter();
    void OnFilter();
    // Takes the selected patient and closes with OK; nothing without a selection.
    void OnPick();

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();

    ModalHooks m_hooks;
    PatientSearchList m_list;
    tagPatientInfo m_selected;
    DialogListView* m_view = nullptr;
    QLineEdit* m_search = nullptr;
    QCheckBox* m_deleted = nullptr;
};
