#pragma once
// Japanese texts of the dialogs, written as UTF-8 in the source: the CP932 constant (J) made a
// QString at the window edge.
#include <QString>

#include "platform/Cp932.h"
#include "platform/qt/QtText.h"

inline QString DialogText(const char* utf8) {
    return platform::ToQString(platform::J(utf8));
}
