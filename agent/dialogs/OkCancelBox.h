#pragma once
// The "OK" and "キャンセル" buttons of a dialog: OK is the default button and accepts, cancel
// (and Esc) rejects.
class QDialog;
class QDialogButtonBox;
class QPushButton;

QDialogButtonBox* OkCancelBox(QDialog& dialog, QPushButton** ok = nullptr,
                              QPushButton** cancel = nullptr);
