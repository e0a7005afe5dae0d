#pragma once
// The appointment-type check list of the booking settings dialog: one line per entry of the
// TypeSettingsModel, each with its own drawn box (dark when the type is changeable), the type's
// name and, for a changeable type whose settings are incomplete, the warning in red. A click on
// the box or the space key reports the line; the model changes only through the dialog.
#include <QListWidget>

class TypeSettingsModel;

class TypeListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TypeListBox(const TypeSettingsModel& model, QWidget* parent = nullptr);

    // One line per model entry; the selection is cleared.
    void Rebuild();
    // Redraws after the model changed (warnings change the lines' widths).
    void Redraw();

    // The box of a line in viewport coordinates.
    QRect BoxRect(int row) const;

signals:
    void boxClicked(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const TypeSettingsModel& m_model;
};
