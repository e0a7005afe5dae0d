// The notice editor's rules: what the form starts with, the refusals and the questions of OK.
#include <gtest/gtest.h>

#include "FakeClock.h"
#include "agent/dialogs/NotificationEditor.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

tagNotificationData Stored() {
    tagNotificationData n;
    n.id = "42";
    n.patientKey = "0000000001";
    n.patientId = "P-001";
    n.patientName = J("山田 太郎");
    n.patientKana = J("ヤマダ タロウ");
    n.notificationDate = "20231220";
    n.validFromDate = "20240104"; // yesterday on the clock
    n.validToDate = "20240105";   // today
    n.title = J("検診");
    n.content = J("検診の時期です。");
    n.read = 1;
    return n;
}

} // namespace

TEST(NoticeEditor, StartingFormOfNewExistingAndCopiedNotices) {
    const FakeClock clock; // 2024-01-05
    NotificationEditor fresh(false, {}, clock);
    EXPECT_EQ(fresh.Caption(), J("お知らせ - 全体通知"));
    EXPECT_EQ(fresh.Initial().sendDate, "20240105");
    EXPECT_FALSE(fresh.Initial().useValidFrom);
    EXPECT_FALSE(fresh.Initial().useValidTo);
    EXPECT_EQ(fresh.Initial().validTo, "20240105") << "an unchecked picker shows today";
    EXPECT_EQ(fresh.PatientText(), "");

    NotificationEditor existing(true, Stored(), clock);
    EXPECT_EQ(existing.Caption(), J("お知らせ - 患者個別通知"));
    const NotificationEditor::Form& e = existing.Initial();
    EXPECT_EQ(e.sendDate, "20231220");
    EXPECT_TRUE(e.useValidFrom);
    EXPECT_EQ(e.validFrom, "20240104") << "an existing notice keeps its dates as they are";
    EXPECT_TRUE(e.useValidTo);
    EXPECT_EQ(e.title, J("検診"));
    EXPECT_EQ(existing.PatientText(), J("P-001 : 山田 太郎(ヤマダ タロウ)"));

    // A copy is sent today; a validity date is carried over only while it is today or later.
    tagNotificationData copy = Stored();
    copy.id = tagNotificationData::kCopyId;
    NotificationEditor copied(true, copy, clock);
    const NotificationEditor::Form& c = copied.Initial();
    EXPECT_EQ(c.sendDate, "20240105");
    EXPECT_FALSE(c.useValidFrom);
    EXPECT_EQ(c.validFrom, "20240105");
    EXPECT_TRUE(c.useValidTo);
    EXPECT_EQ(c.validTo, "20240105");
    EXPECT_EQ(c.content, J("検診の時期です。"));
}

TEST(NoticeEditor, RefusalsQuestionsAndTheEditedNotice) {
    const FakeClock clock;
    NotificationEditor individual(true, {}, clock);
    NotificationEditor::Form form = individual.Initial();
    form.title = J("タイトル");
    form.content = J("本文");
    NotificationEditor::Check check = individual.Confirm(form);
    EXPECT_EQ(check.refusal, J("患者を選択してください。"));
    EXPECT_EQ(check.focus, NotificationEditor::Focus::Patient);

    individual.SetPatient("0000000002", "P-002", J("佐藤 花子"), J("サトウ ハナコ"));
    // Blanks of either width are no title; line breaks are no content.
    form.title = J(" 　 ");
    check = individual.Confirm(form);
    EXPECT_EQ(check.refusal, J("タイトルを入力してください。"));
    EXPECT_EQ(check.focus, NotificationEditor::Focus::Title);
    form.title = J("　お知らせ");
    form.content = J("　\r\n ");
    check = individual.Confirm(form);
    EXPECT_EQ(check.refusal, J("お知らせを入力してください。"));
    EXPECT_EQ(check.focus, NotificationEditor::Focus::Content);
    // A double-byte character whose second byte is 0x40 is not a blank.
    form.content = J("院");
    check = individual.Confirm(form);
    EXPECT_TRUE(check.refusal.empty());
    EXPECT_EQ(
        check.question,
        J("患者[P-002 : 佐藤 花子(サトウ ハナコ)]\nへのお知らせを送信してよろしいでしょうか？"));

    NotificationEditor existing(true, Stored(), clock);
    EXPECT_EQ(
        existing.Confirm(existing.Initial()).question,
        J("患者[P-001 : 山田 太郎(ヤマダ タロウ)]\nへのお知らせを更新してよろしいでしょうか？"));

    // Unchecked boxes give no dates; id, patient and read mark stay.
    form = existing.Initial();
    form.useValidFrom = false;
    form.validTo = "20240131";
    const tagNotificationData n = existing.Result(form);
    EXPECT_EQ(n.id, "42");
    EXPECT_EQ(n.validFromDate, "");
    EXPECT_EQ(n.validToDate, "20240131");
    EXPECT_EQ(n.patientKey, "0000000001");
    EXPECT_EQ(n.read, 1);

    // A notice to all patients never carries a patient.
    NotificationEditor all(false, Stored(), clock);
    EXPECT_EQ(all.Result(all.Initial()).patientKey, "");
}
