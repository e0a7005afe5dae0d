#include "platform/qt/QtText.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(QtText, ConvertsAtTheEdge) {
    const std::string cp932 = "A\x83\x5C\x95\x5C\x81\x60\x87\x40\xFB\xFC\xB1"; // Aソ表～①髙ｱ
    const QString text = ToQString(cp932);
    EXPECT_EQ(text, QString::fromUtf8("Aソ表～①髙ｱ"));
    EXPECT_EQ(FromQString(text), cp932);
    EXPECT_EQ(FromQString(QString::fromUtf8("－")), "\x81\x7C");
    EXPECT_EQ(ToQString("x\x83"), QStringLiteral("x?"));
    EXPECT_EQ(FromQString(QString::fromUtf8("한")), "?");
    EXPECT_TRUE(ToQString("").isEmpty());
}
