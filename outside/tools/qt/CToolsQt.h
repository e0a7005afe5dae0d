#pragma once
// The drawing and folder-choosing operations of the tool library, on Qt. Texts are CP932.
#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <string>

class QPainter;
class QTableView;
class QWidget;

class CToolsQt {
public:
    // Text-format flags for Rect_Text, with the values callers already pass (37 = DT_CENTER |
    // DT_VCENTER | DT_SINGLELINE).
    static constexpr unsigned DT_LEFT = 0x0000;
    static constexpr unsigned DT_CENTER = 0x0001;
    static constexpr unsigned DT_RIGHT = 0x0002;
    static constexpr unsigned DT_VCENTER = 0x0004;
    static constexpr unsigned DT_BOTTOM = 0x0008;
    static constexpr unsigned DT_WORDBREAK = 0x0010;
    static constexpr unsigned DT_SINGLELINE = 0x0020;
    static constexpr unsigned DT_NOCLIP = 0x0100;
    static constexpr unsigned DT_END_ELLIPSIS = 0x8000;

    // Fills `rect` with `fill` (no frame).
    static void Area_Make(QPainter& dc, const QRect& rect, const QColor& fill);

    // Draws a `width`-pixel frame along the inside of `rect` in `line`; the inside is untouched.
    static void Rect_Make(QPainter& dc, const QRect& rect, const QColor& line, int width = 1);

    // Writes `text` (CP932) into `rect` with `font` and `colour`, on a transparent background.
    // The rectangle is scaled by `scale` and then moved by `offset`; a font given in pixels is
    // scaled too. `format` is a combination of the DT_ flags: horizontal (LEFT/CENTER/RIGHT),
    // vertical (top/VCENTER/BOTTOM, vertical placement only with DT_SINGLELINE), DT_WORDBREAK to
    // wrap, DT_END_ELLIPSIS to shorten a line that does not fit. Drawing is clipped to the
    // rectangle unless DT_NOCLIP. The painter's pen and font are restored afterwards.
    static void Rect_Text(QPainter& dc, double scale, const QPoint& offset, const QRect& rect,
                          const QFont& font, const std::string& text, const QColor& colour,
                          unsigned format);

    // Draws `text` (bytes as they are, 8-bit mode, error correction M) as a QR code filling
    // `rect`: white background, a quiet zone of four modules, black square modules of a whole
    // number of pixels where the rectangle allows it, centred. Returns false (nothing drawn)
    // when the text is empty or too long for a QR code.
    static bool DrawQRCode(QPainter& dc, const QRect& rect, const std::string& text);

    // Folder picker over CBrowseForFolder. `path` is the initial selection on entry (may be
    // empty) and the chosen folder on return. Returns 1 when a folder was chosen, 0 otherwise
    // (`path` unchanged).
    static int BrowseFolder(QWidget* owner, std::string& path, const std::string& title);

    // Window positions and list column widths, kept per user under a name ("Notification",
    // "NotificationList", ...) in the per-user hive of the registry store.
    // Stores the window's position and size.
    static void SaveWindowPos(const QWidget* window, const std::string& name);
    // Moves the window to the stored position and, unless withSize is 0, gives it the stored
    // size (never below its minimum size). A position that would put the window on no screen is
    // not used. False when nothing usable was stored (the window stays as it is).
    static bool LoadWindowPos(QWidget* window, const std::string& name, int withSize = 1);
    // Stores the widths of the list's columns.
    static void SaveListCtrlWidth(const QTableView* list, const std::string& name);
    // Gives the list's columns their stored widths; columns without a stored width (or with one
    // below 1) keep theirs. False when nothing was stored.
    static bool LoadListCtrlWidth(QTableView* list, const std::string& name);
};
