#pragma once
// The UI edge: CP932 bytes <-> QString.
#include <QString>
#include <string>

namespace platform {

QString ToQString(const std::string& cp932);
std::string FromQString(const QString& text);

} // namespace platform
