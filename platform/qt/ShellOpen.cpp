#include "platform/qt/ShellOpen.h"

#include "platform/qt/QtText.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

bool ShellOpen(const std::string& target) {
    const QString text = ToQString(target).trimmed();
    if (text.isEmpty())
        return false;
    QUrl url(text, QUrl::TolerantMode);
    if (url.scheme().size() < 2) // none, or a drive letter
        url = QUrl::fromLocalFile(text);
    return QDesktopServices::openUrl(url);
}

} // namespace platform
