// The window "Web予約の詳細" offscreen, on the private web database.
#include <gtest/gtest.h>

#include "ReviewClinic.h"
#include "ReviewWindows.h"
#include "agent/dialogs/CFirstAppoInfo.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

using W = CFirstAppoInfo;
const int kAllFields[] = {W::kKind,    W::kWished, W::kName,  W::kKana,    W::kBirthday, W::kGender,
                          W::kAddress, W::kTel,    W::kEmail, W::kContent, W::kEntered};

void BookOne(ReviewClinic& c) {
    c.Set("FRIST_APPOINTMENTS", "TITLE_1", "インプラント相談");
    WebBooking b;
    b.id = "7";
    b.appoKey = "'0000000042'";
    b.flag = "2";
    b.created = "2024-02-10 09:05:00";
    b.address = "東京都世田谷区三軒茶屋2丁目11番22号 サンハイツ305";
    b.content = "インプラントについて相談したいです。\n費用と期間の目安を教えてください。";
    c.Book(b);
}

} // namespace

TEST(CFirstAppoInfoWindow, ShowsTheBookingReadOnly) {
    TestApp();
    ReviewClinic c;
    BookOne(c);
    CFirstAppoInfo w(c.session, "0000000042", c.clock);

    EXPECT_EQ(w.windowTitle(), U("Web予約の詳細"));
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w.FieldText(W::kKind), U("インプラント相談"));
    EXPECT_EQ(w.FieldText(W::kWished), "2024-03-10 10:00");
    EXPECT_EQ(w.FieldText(W::kName), U("山田 花子"));
    EXPECT_EQ(w.FieldText(W::kKana), U("ヤマダ ハナコ"));
    EXPECT_EQ(w.FieldText(W::kBirthday), U("1990-04-01 (33歳)"));
    EXPECT_EQ(w.FieldText(W::kGender), U("女性"));
    EXPECT_EQ(w.FieldText(W::kAddress), U("東京都世田谷区三軒茶屋2丁目11番22号 サンハイツ305"));
    EXPECT_EQ(w.FieldText(W::kTel), "0312345678");
    EXPECT_EQ(w.FieldText(W::kEmail), "hanako@example.jp");
    EXPECT_EQ(w.FieldText(W::kContent),
              U("インプラントについて相談したいです。\n費用と期間の目安を教えてください。"));
    EXPECT_EQ(w.FieldText(W::kEntered), "2024-02-10 09:05");
    for (int id : kAllFields) {
        QWidget* field = w.findChild<QWidget*>(QString::number(id));
        ASSERT_TRUE(field) << id;
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            EXPECT_TRUE(edit->isReadOnly()) << id;
        else
            EXPECT_TRUE(qobject_cast<QPlainTextEdit*>(field)->isReadOnly()) << id;
    }
    EXPECT_EQ(w.CloseButton()->text(), U("閉じる"));
    EXPECT_TRUE(w.CloseButton()->isDefault());
    EXPECT_EQ(TabOrder(w), (QStringList{"1108", "1106", "1007", "1008", "1009", "1010", "1011",
                                        "1012", "1013", "1014", "1107", "2"}));
    EXPECT_FALSE(w.StatusLine()->isVisibleTo(&w));
    Screenshot(w, "first-appo-info");
}

TEST(CFirstAppoInfoWindow, ACraftedKeyShowsTheEmptyWindowAndAStoppedServerIsSaid) {
    TestApp();
    ReviewClinic c;
    BookOne(c);
    for (const char* key : {"1' OR '1'='1", "1;DROP TABLE first_appointments"}) {
        CFirstAppoInfo w(c.session, key, c.clock);
        for (int id : kAllFields)
            EXPECT_EQ(w.FieldText(id), "") << key << " " << id;
        EXPECT_FALSE(w.StatusLine()->isVisibleTo(&w));
    }
    EXPECT_EQ(c.Rows("first_appointments"), 1);

    WebSession stopped(StoppedServer(), NoPause);
    CFirstAppoInfo w(stopped, "0000000042", c.clock);
    for (int id : kAllFields)
        EXPECT_EQ(w.FieldText(id), "") << id;
    EXPECT_TRUE(w.StatusLine()->isVisibleTo(&w));
    EXPECT_EQ(w.StatusLine()->text(), U("Webデータベースに接続できませんでした。"));
    Screenshot(w, "first-appo-info-stopped");
}
