#pragma once
// An edit for a small whole number: digits only, at most `digits` of them, right-aligned and just
// wide enough. Its object name is the control id.
class QLineEdit;

QLineEdit* NumberEdit(int id, int digits);
