#pragma once
// The modal steps of a staff dialog: message boxes and child dialogs. By default they are the
// real modal windows; tests replace them to answer and to drive child dialogs without an event
// loop of their own. Texts are CP932.
#include <functional>
#include <string>

class QDialog;
class QWidget;

struct ModalHooks {
    // OK/Cancel question; true for OK.
    std::function<bool(QWidget* parent, const std::string& text)> askOkCancel;
    // Yes/No question; true for Yes.
    std::function<bool(QWidget* parent, const std::string& text)> askYesNo;
    // A warning with OK.
    std::function<void(QWidget* parent, const std::string& text)> tell;
    // Shows a child dialog modally; returns its result code.
    std::function<int(QDialog& dialog)> run;

    // The real message boxes and exec().
    static ModalHooks Desktop();
};
