#pragma once
// The suite's one screen font. Without it Qt takes Latin letters and digits from the desktop's
// default family and kana and kanji from whatever fallback covers them, so one log line mixes
// two families. Every program sets it right after making its QApplication.
#include <QString>

namespace platform {

// Families tried in order (both Japanese-capable, from the install script's font package).
inline constexpr const char* kSuiteFontFamilies[] = {"IPAPGothic", "IPAGothic"};

// Makes the first installed family of kSuiteFontFamilies the application font, keeping the
// platform's point size. Returns the family set, or an empty text when none is installed (the
// platform's font then stays).
// REQUIRES: a QGuiApplication exists.
QString UseSuiteFont();

} // namespace platform
