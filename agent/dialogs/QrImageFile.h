#pragma once
// A booking-site address saved as a QR code image: 264 by 264 pixels, white, the code filling
// the square, written as PNG.
#include <QImage>
#include <string>

class QrImageFile {
public:
    static constexpr int kSide = 264;

    // The image of `text` (CP932 bytes as they are); a null image when it cannot be encoded.
    static QImage Make(const std::string& text);
    // Writes Make(text) to `path` (CP932). False when the text cannot be encoded or the file
    // cannot be written.
    static bool Save(const std::string& path, const std::string& text);
};
