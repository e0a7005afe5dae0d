#include "platform/qt/SuiteFont.h"

#include "QtTestApp.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QWidget>
#include <gtest/gtest.h>

TEST(SuiteFont, OneInstalledFamilyCoversDigitsLatinAndKana) {
    QtTestApp();
    const qreal size = QApplication::font().pointSizeF();
    // The install script provides the first family; the fallback is only for other systems.
    ASSERT_EQ(platform::UseSuiteFont(), QString::fromLatin1(platform::kSuiteFontFamilies[0]));
    const QFont font = QApplication::font();
    EXPECT_EQ(QFontInfo(font).family(), QString::fromLatin1(platform::kSuiteFontFamilies[0]));
    EXPECT_EQ(font.pointSizeF(), size);
    // A log line's time stamp and its Japanese text come from that one family, no fallback.
    const QFontMetrics metrics(font);
    for (char32_t c : {U'0', U'9', U'.', U':', U'A', U'[', U'予', U'約', U'ア', U'ー', U'、'})
        EXPECT_TRUE(metrics.inFontUcs4(c)) << static_cast<unsigned>(c);
    // Windows made afterwards take it.
    QWidget w;
    EXPECT_EQ(QFontInfo(w.font()).family(), QString::fromLatin1(platform::kSuiteFontFamilies[0]));
}
