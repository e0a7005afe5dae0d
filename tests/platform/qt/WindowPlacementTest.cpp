#include "platform/qt/WindowPlacement.h"

#include "QtTestApp.h"
#include "TempDir.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

using platform::Hive;
using platform::RegistryStore;
using platform::WindowPlacement;

namespace {

constexpr const char* kKey = "SOFTWARE\\Talmor\\Test\\Window";
} // namespace

TEST(WindowPlacement, ComesBackWhereItWasAndAlwaysOnAScreen) {
    QtTestApp();
    TempDir dir;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();

    // Nothing stored yet: the window keeps its own size.
    WindowPlacement placement(RegistryStore(dir.File("registry/")), kKey);
    QWidget first;
    first.resize(300, 200);
    EXPECT_FALSE(placement.Restore(first));
    EXPECT_EQ(first.size(), QSize(300, 200));

    const QRect where(screen.x() + 40, screen.y() + 30, screen.width() - 100, screen.height() - 80);
    first.setGeometry(where);
    first.show();
    ASSERT_TRUE(placement.Save(first));
    QWidget second;
    EXPECT_TRUE(WindowPlacement(RegistryStore(dir.File("registry/")), kKey).Restore(second));
    EXPECT_EQ(second.geometry(), where);

    // Saved on a larger screen, far off to the right: brought back onto this one, cut to fit.
    first.setGeometry(screen.right() + 500, screen.y() + 10, screen.width() * 2, screen.height());
    ASSERT_TRUE(placement.Save(first));
    QWidget third;
    ASSERT_TRUE(placement.Restore(third));
    EXPECT_TRUE(screen.contains(third.geometry()))
        << third.geometry().x() << "," << third.geometry().width();

    // A damaged value changes nothing.
    RegistryStore(dir.File("registry/")).SetString(Hive::User, kKey, "Geometry", "zz01");
    QWidget fourth;
    fourth.resize(300, 200);
    EXPECT_FALSE(placement.Restore(fourth));
    EXPECT_EQ(fourth.size(), QSize(300, 200));
}
