#include "DialogTestApp.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <cstdlib>

QApplication& DialogTestApp() {
    static int argc = 1;
    static char name[] = "agent_dialogs_ui_tests";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Never destroyed: tearing down the GUI at exit, after the platform plugin, crashes.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

void SaveScreenshot(QWidget& window, const std::string& name) {
    const char* dir = std::getenv("APPOSYNC_SCREENSHOT_DIR");
    if (!dir)
        return;
    window.adjustSize();
    window.show();
    QApplication::processEvents();
    const QPixmap shot = window.grab();
    shot.save(QString("%1/%2@%3x.png")
                  .arg(QString::fromLocal8Bit(dir), QString::fromStdString(name))
                  .arg(shot.devicePixelRatio()));
}
