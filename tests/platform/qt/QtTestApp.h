#pragma once
// The one QApplication of the platform window tests, offscreen unless a platform is set. Never
// destroyed: tearing down the GUI at exit, after the platform plugin, crashes.
#include <QApplication>

QApplication& QtTestApp();
