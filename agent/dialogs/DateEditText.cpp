#include "agent/dialogs/DateEditText.h"

std::string YmdOf(const QDate& date) {
    if (!date.isValid())
        return {};
    return date.toString(QStringLiteral("yyyyMMdd")).toStdString();
}

QDate DateOfYmd(const std::string& ymd) {
    if (ymd.size() != 8)
        return {};
    return QDate::fromString(QString::fromLatin1(ymd.c_str()), QStringLiteral("yyyyMMdd"));
}
