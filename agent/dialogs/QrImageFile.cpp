#include "agent/dialogs/QrImageFile.h"

#include "outside/tools/qt/CToolsQt.h"
#include "platform/qt/QtText.h"

#include <QPainter>

QImage QrImageFile::Make(const std::string& text) {
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const bool drawn = CToolsQt::DrawQRCode(painter, QRect(0, 0, kSide, kSide), text);
    painter.end();
    return drawn ? image : QImage();
}

bool QrImageFile::Save(const std::string& path, const std::string& text) {
    const QImage image = Make(text);
    return !image.isNull() && image.save(platform::ToQString(path), "PNG");
}
