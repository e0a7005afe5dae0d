#include "outside/tools/qt/CToolsQt.h"
#include "outside/tools/qt/CBrowseForFolder.h"
#include "platform/Cp932.h"

#include "TempDir.h"

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <qrencode.h>

using platform::J;

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "outside_tools_qt_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

QImage White(int w, int h) {
    App();
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// Bounding box of the pixels that are not white.
QRect Inked(const QImage& img) {
    int l = img.width(), t = img.height(), r = -1, b = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255)) {
                l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
            }
    return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
}

// Answers the next modal folder picker with `act` once it is up.
void AnswerPicker(std::function<void(QFileDialog*)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dlg);
        }
    });
    timer->start(10);
}

// Types a path into the picker's name line, as a user would.
void Type(QFileDialog* dlg, const QString& path) {
    auto* edit = dlg->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_TRUE(edit);
    edit->setText(path);
}

} // namespace

TEST(CToolsQt, RectTextPlacesTextInsideItsRectangle) {
    QFont font;
    font.setPixelSize(24);
    const std::string text = J("受付 ABC");
    const QRect rect(50, 20, 300, 60);

    // Centred both ways on one line (the kiosk's 37).
    QImage img = White(400, 120);
    {
        QPainter p(&img);
        CToolsQt::Rect_Text(p, 1.0, QPoint(0, 0), rect, font, text, QColor(200, 0, 0), 37);
    }
    QRect ink = Inked(img);
    ASSERT_TRUE(ink.isValid());
    EXPECT_TRUE(rect.contains(ink)) << ink.x() << "," << ink.y();
    EXPECT_NEAR(ink.left() - rect.left(), rect.right() - ink.right(), 4);
    EXPECT_NEAR(ink.top() - rect.top(), rect.bottom() - ink.bottom(), 8);
    EXPECT_GT(ink.width(), 60); // the whole text, not a glyph or two
    bool red = false;
    for (int x = ink.left(); x <= ink.right() && !red; ++x)
        for (int y = ink.top(); y <= ink.bottom() && !red; ++y)
            red = img.pixel(x, y) == qRgb(200, 0, 0);
    EXPECT_TRUE(red);

    // Left and top.
    img = White(400, 120);
    {
        QPainter p(&img);
        CToolsQt::Rect_Text(p, 1.0, QPoint(0, 0), rect, font, text, Qt::black,
                            CToolsQt::DT_LEFT | CToolsQt::DT_SINGLELINE);
    }
    ink = Inked(img);
    EXPECT_LE(ink.left() - rect.left(), 4);
    EXPECT_LT(ink.top() - rect.top(), 12);
    EXPECT_GT(rect.right() - ink.right(), 100);

    // Scale, then offset: the rectangle (10,5,150,30) x2 + (20,10) is (40,20,300,60).
    img = White(400, 120);
    {
        QPainter p(&img);
        QFont small;
        small.setPixelSize(12);
        CToolsQt::Rect_Text(p, 2.0, QPoint(20, 10), QRect(10, 5, 150, 30), small, text, Qt::black,
                            37);
    }
    ink = Inked(img);
    EXPECT_TRUE(QRect(40, 20, 300, 60).contains(ink));
    EXPECT_GT(ink.height(), 14); // the font was scaled with the rectangle

    // A text longer than its rectangle is clipped to it.
    img = White(400, 120);
    {
        QPainter p(&img);
        CToolsQt::Rect_Text(p, 1.0, QPoint(0, 0), QRect(100, 30, 60, 40), font,
                            J("本日の予約は登録されておりません。"), Qt::black, 37);
        // The painter's own state is left as it was.
        EXPECT_EQ(p.pen().color(), QColor(Qt::black));
        EXPECT_FALSE(p.hasClipping());
    }
    ink = Inked(img);
    EXPECT_TRUE(QRect(100, 30, 60, 40).contains(ink));
}

TEST(CToolsQt, AreaAndFrame) {
    QImage img = White(100, 100);
    {
        QPainter p(&img);
        CToolsQt::Area_Make(p, QRect(10, 10, 30, 30), QColor(0, 0, 100));
        CToolsQt::Rect_Make(p, QRect(50, 50, 40, 40), QColor(0, 128, 0), 2);
    }
    EXPECT_EQ(Inked(img.copy(0, 0, 45, 45)), QRect(10, 10, 30, 30));
    EXPECT_EQ(img.pixel(25, 25), qRgb(0, 0, 100));
    EXPECT_EQ(img.pixel(50, 50), qRgb(0, 128, 0));
    EXPECT_EQ(img.pixel(51, 70), qRgb(0, 128, 0));
    EXPECT_EQ(img.pixel(89, 89), qRgb(0, 128, 0));
    EXPECT_EQ(img.pixel(52, 52), qRgb(255, 255, 255)); // inside stays
    EXPECT_EQ(img.pixel(90, 90), qRgb(255, 255, 255)); // nothing outside
}

TEST(CToolsQt, QRCodeMatchesTheEncodedModules) {
    const std::string text = "https://booking.example.jp/user?code=MTIzNDU2";
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(static_cast<int>(text.size()),
                          reinterpret_cast<const unsigned char*>(text.data()), 0, QR_ECLEVEL_M),
        &QRcode_free);
    ASSERT_TRUE(code);
    const int n = code->width;

    QImage img = White(264, 264);
    img.fill(Qt::red); // the code paints its own white background
    {
        QPainter p(&img);
        ASSERT_TRUE(CToolsQt::DrawQRCode(p, QRect(0, 0, 264, 264), text));
    }
    const int m = 264 / (n + 8);
    ASSERT_GE(m, 2);
    const int x0 = (264 - m * (n + 8)) / 2 + 4 * m;
    int wrong = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const bool dark = img.pixel(x0 + x * m + m / 2, x0 + y * m + m / 2) == qRgb(0, 0, 0);
            wrong += dark != ((code->data[y * n + x] & 1) != 0);
        }
    EXPECT_EQ(wrong, 0);
    // Finder pattern corners and a white quiet zone.
    EXPECT_EQ(img.pixel(x0, x0), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(x0 + m + m / 2, x0 + m + m / 2), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(x0 + 3 * m, x0 + 3 * m), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(x0 - 1, x0 - 1), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(263, 263), qRgb(255, 255, 255));

    // Too small for whole pixels: still drawn, never outside its rectangle.
    img = White(100, 100);
    {
        QPainter p(&img);
        EXPECT_TRUE(CToolsQt::DrawQRCode(p, QRect(30, 30, 20, 20), text));
        // Nothing to encode: nothing drawn.
        EXPECT_FALSE(CToolsQt::DrawQRCode(p, QRect(60, 60, 30, 30), ""));
    }
    EXPECT_TRUE(QRect(30, 30, 20, 20).contains(Inked(img)));
}

TEST(CToolsQt, FolderPicker) {
    App();
    TempDir tmp;
    const std::string bin = tmp.Path() + "v2/bin";
    std::filesystem::create_directories(bin);

    // Chosen: the path comes back without a trailing delimiter and the title is shown.
    std::string path = tmp.Path();
    QString title;
    AnswerPicker([&](QFileDialog* dlg) {
        title = dlg->windowTitle();
        Type(dlg, QString::fromStdString(bin));
        static_cast<QDialog*>(dlg)->accept(); // the picker's own checks run
    });
    EXPECT_EQ(CToolsQt::BrowseFolder(nullptr, path, J("Ver.2 フォルダ")), 1);
    EXPECT_EQ(path, bin);
    EXPECT_EQ(title, QString::fromUtf8("Ver.2 フォルダ"));

    // Cancelled: the path stays.
    AnswerPicker([](QFileDialog* dlg) { dlg->reject(); });
    EXPECT_EQ(CToolsQt::BrowseFolder(nullptr, path, "x"), 0);
    EXPECT_EQ(path, bin);

    // The class as the kiosk uses it; a stale initial selection opens its nearest parent.
    CBrowseForFolder picker(nullptr, nullptr, J("Databaseフォルダ"));
    picker.SetInitialSelection(tmp.Path() + "v2/gone/");
    picker.SetFlags(2);
    QString opened;
    AnswerPicker([&](QFileDialog* dlg) {
        opened = dlg->directory().absolutePath();
        Type(dlg, QString::fromStdString(bin));
        static_cast<QDialog*>(dlg)->accept(); // the picker's own checks run
    });
    EXPECT_TRUE(picker.SelectFolder());
    EXPECT_EQ(picker.GetSelectedFolder(), bin);
    EXPECT_EQ(opened.toStdString(), tmp.Path() + "v2");
}

TEST(CToolsQt, WindowPositionAndColumnWidthsAreKeptPerName) {
    App();
    TempDir home;
    struct Home {
        explicit Home(const std::string& path) { setenv("CORVANE_HOME", path.c_str(), 1); }
        ~Home() { unsetenv("CORVANE_HOME"); }
    } inHome(home.Path()); // the registry store lives in the program folder

    QWidget window;
    window.setMinimumSize(200, 150);
    window.resize(300, 200);
    EXPECT_FALSE(CToolsQt::LoadWindowPos(&window, "Notification")) << "nothing stored yet";
    window.move(40, 30);
    window.resize(420, 260);
    CToolsQt::SaveWindowPos(&window, "Notification");

    QWidget again;
    again.setMinimumSize(200, 150);
    ASSERT_TRUE(CToolsQt::LoadWindowPos(&again, "Notification"));
    EXPECT_EQ(again.pos(), QPoint(40, 30));
    EXPECT_EQ(again.size(), QSize(420, 260));
    // Position only; another name is kept apart.
    QWidget third;
    third.resize(250, 180);
    ASSERT_TRUE(CToolsQt::LoadWindowPos(&third, "Notification", 0));
    EXPECT_EQ(third.pos(), QPoint(40, 30));
    EXPECT_EQ(third.size(), QSize(250, 180));
    EXPECT_FALSE(CToolsQt::LoadWindowPos(&third, "PatientSearch"));

    // Never below the minimum size, never off every screen.
    window.resize(100, 100);
    CToolsQt::SaveWindowPos(&window, "Notification");
    ASSERT_TRUE(CToolsQt::LoadWindowPos(&again, "Notification"));
    EXPECT_EQ(again.size(), QSize(200, 150));
    window.move(50000, 50000);
    CToolsQt::SaveWindowPos(&window, "Notification");
    again.move(10, 10);
    EXPECT_FALSE(CToolsQt::LoadWindowPos(&again, "Notification"));
    EXPECT_EQ(again.pos(), QPoint(10, 10));

    QStandardItemModel model(0, 3);
    QTableView list;
    list.setModel(&model);
    EXPECT_FALSE(CToolsQt::LoadListCtrlWidth(&list, "NotificationList"));
    list.setColumnWidth(0, 33);
    list.setColumnWidth(1, 77);
    list.setColumnWidth(2, 120);
    CToolsQt::SaveListCtrlWidth(&list, "NotificationList");
    QTableView other;
    QStandardItemModel wider(0, 4);
    other.setModel(&wider);
    other.setColumnWidth(3, 55);
    ASSERT_TRUE(CToolsQt::LoadListCtrlWidth(&other, "NotificationList"));
    EXPECT_EQ(other.columnWidth(0), 33);
    EXPECT_EQ(other.columnWidth(1), 77);
    EXPECT_EQ(other.columnWidth(2), 120);
    EXPECT_EQ(other.columnWidth(3), 55) << "a column without a stored width keeps its own";
}
