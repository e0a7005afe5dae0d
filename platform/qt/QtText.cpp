#include "platform/qt/QtText.h"

#include "platform/Cp932.h"

namespace platform {

QString ToQString(const std::string& cp932) {
    return QString::fromStdString(Cp932ToUtf8(cp932));
}

std::string FromQString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToCp932(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

} // namespace platform
