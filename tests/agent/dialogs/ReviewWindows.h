#pragma once
// The offscreen application of the review window tests, and where their screenshots go.
#include <QStringList>

class QApplication;
class QWidget;

QApplication& TestApp();
// Object names of the widgets Tab reaches, in the window's tab order.
QStringList TabOrder(QWidget& window);
// Saves the window as <APPOSYNC_SCREENSHOT_DIR>/<name>.png when that variable is set; otherwise
// does nothing.
void Screenshot(QWidget& window, const QString& name);
