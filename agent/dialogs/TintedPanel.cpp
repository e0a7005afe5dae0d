#include "agent/dialogs/TintedPanel.h"

#include "agent/dialogs/PanelTint.h"

#include <QPainter>

TintedPanel::TintedPanel(QWidget* parent) : QWidget(parent) {}

QColor TintedPanel::Tint() const {
    const QColor face = palette().color(QPalette::Window);
    const PanelTint tint = PanelTint::FromFace(face.red(), face.green(), face.blue());
    return QColor(tint.red, tint.green, tint.blue);
}

void TintedPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Tint());
}
