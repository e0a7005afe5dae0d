#include "agent/dialogs/OkCancelBox.h"

#include "agent/dialogs/DialogText.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

QDialogButtonBox* OkCancelBox(QDialog& dialog, QPushButton** ok, QPushButton** cancel) {
    auto* buttons = new QDialogButtonBox;
    QPushButton* okButton = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    QPushButton* cancelButton =
        buttons->addButton(DialogText("キャンセル"), QDialogButtonBox::RejectRole);
    okButton->setObjectName("1");
    cancelButton->setObjectName("2");
    okButton->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (ok)
        *ok = okButton;
    if (cancel)
        *cancel = cancelButton;
    return buttons;
}
