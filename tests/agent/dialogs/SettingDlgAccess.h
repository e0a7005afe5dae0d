#pragma once
// Reaching the settings dialog's controls in the window tests.
#include <QString>
#include <gtest/gtest.h>

#include "agent/dialogs/CSettingDlg.h"

inline QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The control of that id as its widget class; fails the test when it is missing or another class.
template <class W> W* Get(const CSettingDlg& dlg, int id) {
    auto* w = qobject_cast<W*>(dlg.Control(id));
    EXPECT_NE(w, nullptr) << "control " << id;
    return w;
}
