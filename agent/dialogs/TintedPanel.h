#pragma once
// The panel below the first-visit page tabs, filled with a tint of the window's face colour so
// the page stands out from the rest of the dialog (see PanelTint).
#include <QWidget>

class TintedPanel : public QWidget {
public:
    explicit TintedPanel(QWidget* parent = nullptr);

    QColor Tint() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
