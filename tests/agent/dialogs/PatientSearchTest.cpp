// The patient search over the patient directory of a temporary clinic.
#include <gtest/gtest.h>

#include "NoticeRig.h"
#include "agent/dialogs/PatientSearchList.h"

using platform::J;

namespace {

std::vector<std::string> Keys(const PatientSearchList& list) {
    std::vector<std::string> keys;
    for (const auto& p : list.Rows())
        keys.push_back(p.key);
    return keys;
}

} // namespace

TEST(PatientSearch, DeletedOnRequestSearchWordsAndNumericAge) {
    NoticeRig rig; // patients 1 (aged 9 on 2024-01-05) and 2 (aged 45)
    rig.clinic.AddPatient("0000000003", "P-003", "鈴木 一郎", "スズキ イチロウ", "20131201", "",
                          "車椅子", "ペニシリン");
    rig.clinic.AddPatient("0000000004", "P-004", "山田 次郎", "ヤマダ ジロウ");
    rig.MarkDeleted("0000000004");
    rig.web.Exec("INSERT INTO users(patient_key,last_logined_at) VALUES"
                 "('0000000002','2024-01-04 18:00:00')");
    ASSERT_TRUE(
        rig.directory.LoadPatientDirectory(rig.session, rig.clinic.DatabaseFolder(), rig.clock));

    PatientSearchList list(rig.directory);
    list.Filter();
    EXPECT_EQ(Keys(list), (std::vector<std::string>{"0000000001", "0000000002", "0000000003"}));
    EXPECT_EQ(list.CellText(1, PatientSearchList::ColLastLogin), "2024-01-04 18:00:00");
    EXPECT_EQ(list.CellText(1, PatientSearchList::ColAge), "45");
    EXPECT_EQ(list.CellText(2, PatientSearchList::ColCharacteristic), J("ペニシリン"));

    list.SetShowDeleted(true);
    list.Filter();
    ASSERT_EQ(list.Rows().size(), 4u);
    EXPECT_TRUE(list.Rows()[3].deleted);
    EXPECT_EQ(list.CellText(3, PatientSearchList::ColAge), "") << "no birth date, no age";

    // Half-width kana find the full-width reading; words may sit in different fields.
    list.SetSearchText(J("ﾔﾏﾀﾞ"));
    list.Filter();
    EXPECT_EQ(Keys(list), (std::vector<std::string>{"0000000001", "0000000004"}));
    list.SetSearchText(J("p-003　車椅子"));
    list.Filter();
    EXPECT_EQ(Keys(list), std::vector<std::string>{"0000000003"});
    list.SetSearchText(J("ペニシリン　山田"));
    list.Filter();
    EXPECT_TRUE(list.Rows().empty());

    // The age column sorts as a number (9 before 10), a second click reverses.
    list.SetSearchText("");
    list.SetShowDeleted(false);
    list.SortBy(PatientSearchList::ColAge);
    EXPECT_EQ(Keys(list), (std::vector<std::string>{"0000000001", "0000000003", "0000000002"}));
    list.SortBy(PatientSearchList::ColAge);
    EXPECT_EQ(Keys(list), (std::vector<std::string>{"0000000002", "0000000003", "0000000001"}));
}
