#include "outside/tools/qt/CToolsQt.h"

#include "outside/tools/qt/CBrowseForFolder.h"
#include "platform/RegistryStore.h"
#include "platform/qt/QtText.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPainter>
#include <QScreen>
#include <QTableView>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <memory>
#include <qrencode.h>

namespace {

// Pen and font of a shared painter are restored so callers can draw on with their own state.
class PainterState {
public:
    explicit PainterState(QPainter& dc) : m_dc(dc) { m_dc.save(); }
    ~PainterState() { m_dc.restore(); }
    PainterState(const PainterState&) = delete;
    PainterState& operator=(const PainterState&) = delete;

private:
    QPainter& m_dc;
};

constexpr int kQuietZone = 4;

std::string WindowKey(const std::string& name) {
    return "SOFTWARE\\Talmor\\Tool\\" + name;
}

// True when a window of this frame would show at least a corner on some screen.
bool OnSomeScreen(const QRect& frame) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(frame))
            return true;
    }
    return false;
}

} // namespace

void CToolsQt::Area_Make(QPainter& dc, const QRect& rect, const QColor& fill) {
    if (!rect.isValid())
        return;
    dc.fillRect(rect, fill);
}

void CToolsQt::Rect_Make(QPainter& dc, const QRect& rect, const QColor& line, int width) {
    if (!rect.isValid() || width <= 0)
        return;
    const int w = std::min({width, (rect.width() + 1) / 2, (rect.height() + 1) / 2});
    // Four filled bands rather than a stroked path: exact pixels whatever the pen cap and
    // antialiasing of the painter.
    dc.fillRect(QRect(rect.left(), rect.top(), rect.width(), w), line);
    dc.fillRect(QRect(rect.left(), rect.bottom() - w + 1, rect.width(), w), line);
    dc.fillRect(QRect(rect.left(), rect.top(), w, rect.height()), line);
    dc.fillRect(QRect(rect.right() - w + 1, rect.top(), w, rect.height()), line);
}

void CToolsQt::Rect_Text(QPainter& dc, double scale, const QPoint& offset, const QRect& rect,
                         const QFont& font, const std::string& text, const QColor& colour,
                         unsigned format) {
    if (text.empty() || !(scale > 0.0))
        return;
    const QRect target(QPoint(static_cast<int>(std::lround(rect.left() * scale)) + offset.x(),
                              static_cast<int>(std::lround(rect.top() * scale)) + offset.y()),
                       QSize(static_cast<int>(std::lround(rect.width() * scale)),
                             static_cast<int>(std::lround(rect.height() * scale))));
    if (target.isEmpty())
        return;

    QFont f = font;
    if (scale != 1.0) {
        if (f.pixelSize() > 0)
            f.setPixelSize(std::max(1, static_cast<int>(std::lround(f.pixelSize() * scale))));
        else if (f.pointSizeF() > 0)
            f.setPointSizeF(f.pointSizeF() * scale);
    }

    int flags = 0;
    if (format & DT_CENTER)
        flags |= Qt::AlignHCenter;
    else if (format & DT_RIGHT)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    const bool single = (format & DT_SINGLELINE) != 0;
    if (single && (format & DT_VCENTER))
        flags |= Qt::AlignVCenter;
    else if (single && (format & DT_BOTTOM))
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (!single && (format & DT_WORDBREAK))
        flags |= Qt::TextWordWrap;

    QString s = platform::ToQString(text);
    if (single) {
        s.replace(QLatin1Char('\r'), QString()).replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (format & DT_END_ELLIPSIS)
            s = QFontMetrics(f).elidedText(s, Qt::ElideRight, target.width());
    }

    PainterState state(dc);
    dc.setFont(f);
    dc.setPen(colour);
    if (!(format & DT_NOCLIP))
        dc.setClipRect(target, Qt::IntersectClip);
    dc.drawText(target, flags, s);
}

bool CToolsQt::DrawQRCode(QPainter& dc, const QRect& rect, const std::string& text) {
    if (text.empty() || !rect.isValid())
        return false;
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(static_cast<int>(text.size()),
                          reinterpret_cast<const unsigned char*>(text.data()), 0, QR_ECLEVEL_M),
        &QRcode_free);
    if (!code)
        return false;

    const int modules = code->width + 2 * kQuietZone;
    const int side = std::min(rect.width(), rect.height());
    PainterState state(dc);
    dc.fillRect(rect, Qt::white);
    dc.setPen(Qt::NoPen);
    dc.setBrush(Qt::black);

    const int whole = side / modules;
    if (whole >= 1) {
        // Whole-pixel modules keep edges sharp for scanners; the spare pixels go to the margins.
        const int used = whole * modules;
        const int x0 = rect.left() + (rect.width() - used) / 2 + kQuietZone * whole;
        const int y0 = rect.top() + (rect.height() - used) / 2 + kQuietZone * whole;
        for (int y = 0; y < code->width; ++y)
            for (int x = 0; x < code->width; ++x)
                if (code->data[y * code->width + x] & 1)
                    dc.fillRect(QRect(x0 + x * whole, y0 + y * whole, whole, whole), Qt::black);
    } else {
        // Smaller than one pixel per module: scale so at least the whole symbol is shown.
        const double m = static_cast<double>(side) / modules;
        const double x0 = rect.left() + (rect.width() - side) / 2.0 + kQuietZone * m;
        const double y0 = rect.top() + (rect.height() - side) / 2.0 + kQuietZone * m;
        for (int y = 0; y < code->width; ++y)
            for (int x = 0; x < code->width; ++x)
                if (code->data[y * code->width + x] & 1)
                    dc.drawRect(QRectF(x0 + x * m, y0 + y * m, m, m));
    }
    return true;
}

int CToolsQt::BrowseFolder(QWidget* owner, std::string& path, const std::string& title) {
    CBrowseForFolder picker(owner, nullptr, title);
    picker.SetInitialSelection(path);
    picker.SetFlags(CBrowseForFolder::BIF_RETURNONLYFSDIRS | CBrowseForFolder::BIF_NEWDIALOGSTYLE);
    if (!picker.SelectFolder())
        return 0;
    path = picker.GetSelectedFolder();
    return 1;
}

void CToolsQt::SaveWindowPos(const QWidget* window, const std::string& name) {
    if (!window || name.empty())
        return;
    platform::RegistryStore store;
    const std::string key = WindowKey(name);
    const QPoint pos = window->pos();
    const QSize size = window->size();
    store.SetInt(platform::Hive::User, key, "Left", pos.x());
    store.SetInt(platform::Hive::User, key, "Top", pos.y());
    store.SetInt(platform::Hive::User, key, "Width", size.width());
    store.SetInt(platform::Hive::User, key, "Height", size.height());
}

bool CToolsQt::LoadWindowPos(QWidget* window, const std::string& name, int withSize) {
    if (!window || name.empty())
        return false;
    const platform::RegistryStore store;
    const std::string key = WindowKey(name);
    const auto left = store.GetInt(platform::Hive::User, key, "Left");
    const auto top = store.GetInt(platform::Hive::User, key, "Top");
    if (!left || !top)
        return false;
    QSize size = window->size();
    if (withSize) {
        const auto width = store.GetInt(platform::Hive::User, key, "Width");
        const auto height = store.GetInt(platform::Hive::User, key, "Height");
        if (width && height)
            size = QSize(*width, *height).expandedTo(window->minimumSize());
    }
    // A screen that has gone since (a second monitor) must not take the window with it.
    if (!OnSomeScreen(QRect(QPoint(*left, *top), size)))
        return false;
    window->move(*left, *top);
    if (withSize)
        window->resize(size);
    return true;
}

void CToolsQt::SaveListCtrlWidth(const QTableView* list, const std::string& name) {
    if (!list || !list->model() || name.empty())
        return;
    platform::RegistryStore store;
    const std::string key = WindowKey(name);
    const int count = list->model()->columnCount();
    store.SetInt(platform::Hive::User, key, "Count", count);
    for (int i = 0; i < count; ++i)
        store.SetInt(platform::Hive::User, key, "Width" + std::to_string(i), list->columnWidth(i));
}

bool CToolsQt::LoadListCtrlWidth(QTableView* list, const std::string& name) {
    if (!list || !list->model() || name.empty())
        return false;
    const platform::RegistryStore store;
    const std::string key = WindowKey(name);
    if (!store.GetInt(platform::Hive::User, key, "Count"))
        return false;
    const int count = list->model()->columnCount();
    for (int i = 0; i < count; ++i) {
        const auto width = store.GetInt(platform::Hive::User, key, "Width" + std::to_string(i));
        if (width && *width >= 1)
            list->setColumnWidth(i, *width);
    }
    return true;
}
