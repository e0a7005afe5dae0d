#include "agent/dialogs/NumberEdit.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

QLineEdit* NumberEdit(int id, int digits) {
    auto* e = new QLineEdit;
    e->setObjectName(QString::number(id));
    e->setMaxLength(digits);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), e));
    e->setAlignment(Qt::AlignRight);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(digits + 1, '0')) + 12);
    return e;
}
