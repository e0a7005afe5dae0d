#include "agent/dialogs/ModalHooks.h"

#include "platform/qt/QtText.h"

#include <QDialog>
#include <QMessageBox>

namespace {

// Message boxes stay above the top-most dialogs that open them.
int Box(QWidget* parent, QMessageBox::Icon icon, const std::string& text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton def) {
    QMessageBox box(icon, QStringLiteral("Apposync"), platform::ToQString(text), buttons, parent);
    box.setDefaultButton(def);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    return box.exec();
}

} // namespace

ModalHooks ModalHooks::Desktop() {
    ModalHooks hooks;
    hooks.askOkCancel = [](QWidget* parent, const std::string& text) {
        return Box(parent, QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel,
                   QMessageBox::Ok) == QMessageBox::Ok;
    };
    hooks.askYesNo = [](QWidget* parent, const std::string& text) {
        return Box(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::Yes) == QMessageBox::Yes;
    };
    hooks.tell = [](QWidget* parent, const std::string& text) {
        Box(parent, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
    };
    hooks.run = [](QDialog& dialog) { return dialog.exec(); };
    return hooks;
}
