#include "SuiteFont.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>

namespace platform {

QString UseSuiteFont() {
    const QStringList installed = QFontDatabase::families();
    for (const char* family : kSuiteFontFamilies) {
        const QString name = QString::fromLatin1(family);
        if (!installed.contains(name))
            continue;
        QFont font = QGuiApplication::font();
        font.setFamilies({name});
        QGuiApplication::setFont(font);
        return name;
    }
    return {};
}

} // namespace platform
