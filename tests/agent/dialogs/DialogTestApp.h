#pragma once
// The QApplication of the window tests (offscreen unless a platform is set) and screenshots,
// saved only when APPOSYNC_SCREENSHOT_DIR is set.
#include <QApplication>
#include <string>

class QWidget;

QApplication& DialogTestApp();
// Saves the window as "<name>@<scale>x.png" in APPOSYNC_SCREENSHOT_DIR when set.
void SaveScreenshot(QWidget& window, const std::string& name);
