#include "WindowPlacement.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace platform {

namespace {
constexpr const char* kValue = "Geometry";
}

WindowPlacement::WindowPlacement(RegistryStore store, std::string key)
    : m_store(std::move(store)), m_key(std::move(key)) {}

bool WindowPlacement::Restore(QWidget& window) const {
    const auto text = m_store.GetString(Hive::User, m_key, kValue);
    if (!text || text->empty())
        return false;
    const QByteArray bytes = QByteArray::fromHex(QByteArray::fromStdString(*text));
    if (!window.restoreGeometry(bytes))
        return false;
    if (window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return true;
    // Qt moves a placement back onto a screen but keeps its size: one saved on a larger screen
    // would still reach past the edges of this one.
    QScreen* screen = QGuiApplication::screenAt(window.geometry().center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return true;
    const QRect area = screen->availableGeometry();
    QRect g = window.geometry();
    g.setSize(g.size().boundedTo(area.size()).expandedTo(window.minimumSize()));
    if (g.right() > area.right())
        g.moveRight(area.right());
    if (g.bottom() > area.bottom())
        g.moveBottom(area.bottom());
    if (g.left() < area.left())
        g.moveLeft(area.left());
    if (g.top() < area.top())
        g.moveTop(area.top());
    if (g != window.geometry())
        window.setGeometry(g);
    return true;
}

bool WindowPlacement::Save(const QWidget& window) {
    return m_store.SetString(Hive::User, m_key, kValue,
                             window.saveGeometry().toHex().toStdString());
}

} // namespace platform
