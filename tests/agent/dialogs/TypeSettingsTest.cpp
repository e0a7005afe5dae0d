#include <gtest/gtest.h>

#include "DialogClinic.h"
#include "agent/core/AgentSettings.h"
#include "agent/dialogs/TypeSettingsModel.h"
#include "agent/sync/support/PendingSettings.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

const char* kSection = "PENDING_APPOINTMENTS";

// The model as the dialog opens it: records from the stored lists, the type list from the clinic.
TypeSettingsModel Open(DialogClinic& clinic, BookingMode mode) {
    TypeSettingsModel model;
    const PendingSettings stored = PendingSettings::Read(AgentSettings::Process());
    model.Load(stored, AgentSettings::Get(settingkeys::kHiddenAppoTypes));
    model.SetMode(mode);
    CPelmoDBSys sys(clinic.DatabaseFolder());
    EXPECT_EQ(model.LoadTypeList(sys, stored), 0);
    return model;
}

std::vector<std::string> Codes(const TypeSettingsModel& model) {
    std::vector<std::string> codes;
    for (const auto& e : model.Entries())
        codes.push_back(e.code + (e.checked ? "+" : "-"));
    return codes;
}

} // namespace

// The list holds the types (kind "0") in key order; an unused type only while it is changeable.
TEST(TypeSettings, TypeListOrderCheckedAndUnusedTypes) {
    DialogClinic clinic;
    clinic.AddCategory("0", "03", "抜歯");
    clinic.AddCategory("0", "01", "検診");
    clinic.AddCategory("0", "02", "旧クリーニング", true);
    clinic.AddCategory("0", "04", "旧矯正", true);
    clinic.AddCategory("1", "01", "ユニット1"); // a unit, not a type
    clinic.Set(kSection, "TYPE", "02,03,01");
    clinic.Set(kSection, "CHANGE_OK", "1,0"); // 01 has no entry: changeable

    const TypeSettingsModel model = Open(clinic, kUnitMode);
    EXPECT_EQ(Codes(model), (std::vector<std::string>{"01+", "02+", "03-"}));
    EXPECT_EQ(model.Entries()[0].name, J("検診"));
}

// Unit slots and designated unit both come from TYPEUNIT, doctors from TYPEDOCTOR; short
// TYPETIME and TYPEDAY lists give 0; the lists written back line up with TYPE again.
TEST(TypeSettings, StoredListsReadAndWrittenBack) {
    DialogClinic clinic;
    for (const char* code : {"01", "02", "03"})
        clinic.AddCategory("0", code, std::string("種類") + code);
    clinic.Set(kSection, "TYPE", "01,02,03");
    clinic.Set(kSection, "CHANGE_OK", "1,1,0");
    clinic.Set(kSection, "TYPETIME", "30");
    clinic.Set(kSection, "TYPEUNIT", "01_02,3");
    clinic.Set(kSection, "TYPEDOCTOR", "D1,D2_D3");
    clinic.Set(kSection, "TYPEDAY", "2-1,x");
    clinic.Set(kSection, "NAME", "初診,,再診");

    TypeSettingsModel model = Open(clinic, kUnitMode);
    const CTypeSetting* first = model.Find("01");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->unitSlots, "01,02");
    EXPECT_EQ(first->designatedUnit, "01,02");
    EXPECT_EQ(first->doctorSlots, "D1");
    EXPECT_EQ(first->designatedDoctor, "D1");
    EXPECT_EQ(first->minutes, 30);
    EXPECT_EQ(first->daysBefore, 2);
    EXPECT_EQ(first->daysAfter, 1);
    EXPECT_EQ(first->displayName, J("初診"));
    const CTypeSetting* second = model.Find("02");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->minutes, 0);    // TYPETIME too short
    EXPECT_EQ(second->daysBefore, 0); // "x" has no hyphen
    EXPECT_EQ(second->daysAfter, 0);
    const CTypeSetting* third = model.Find("03");
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->minutes, 0);
    EXPECT_EQ(third->designatedDoctor, ""); // TYPEDOCTOR too short

    ASSERT_TRUE(model.Lists().Write());
    EXPECT_EQ(clinic.Get(kSection, "TYPE"), "01,02,03");
    EXPECT_EQ(clinic.Get(kSection, "CHANGE_OK"), "1,1,0");
    EXPECT_EQ(clinic.Get(kSection, "TYPETIME"), "30,0,0");
    EXPECT_EQ(clinic.Get(kSection, "TYPEUNIT"), "01_02,3,");
    // Unit mode: the designated doctor; "D2,D3" read from a doctor slot list stays one entry.
    EXPECT_EQ(clinic.Get(kSection, "TYPEDOCTOR"), "D1,D2_D3,");
    EXPECT_EQ(clinic.Get(kSection, "TYPEDAY"), "2-1,0-0,0-0");
    EXPECT_EQ(clinic.Get(kSection, "NAME"), "初診,,再診");

    // What the exchanges read from it.
    const PendingSettings reread = PendingSettings::Read(AgentSettings::Process());
    EXPECT_EQ(reread.AllowedIndex("01"), 0);
    EXPECT_EQ(reread.AllowedIndex("03"), -1);
    EXPECT_EQ(reread.TypeUnits(0), "01,02");
    EXPECT_EQ(reread.TypeTime(1), 0);
}

// Editing a type in unit mode and in doctor mode: each mode stores its own slots and designated
// resource; a type without a record gets one; commas in the name become full stops.
TEST(TypeSettings, CollectPerModeAndNewRecords) {
    DialogClinic clinic;
    clinic.AddCategory("0", "01", "検診");
    clinic.AddCategory("0", "05", "抜歯");
    TypeSettingsModel model = Open(clinic, kUnitMode);
    ASSERT_EQ(model.Find("05"), nullptr);
    const TypeEdit shown = model.Show("05");
    EXPECT_EQ(shown.minutes, 0);
    EXPECT_EQ(shown.slotCodes, "");

    TypeEdit e;
    e.slotCodes = "01,02";
    e.designated = "D1";
    e.minutes = 45;
    e.daysBefore = 3;
    e.daysAfter = 0;
    e.displayName = J("抜歯,1回目");
    model.Collect("05", e);
    model.SetChecked(1, true);
    ASSERT_NE(model.Find("05"), nullptr);
    EXPECT_EQ(model.Find("05")->displayName, J("抜歯.1回目"));

    model.SetMode(kDoctorMode);
    TypeEdit d = model.Show("05");
    EXPECT_EQ(d.slotCodes, ""); // doctor slots untouched so far
    d.slotCodes = "D1,D2";
    d.designated = "02";
    model.Collect("05", d);
    EXPECT_EQ(model.Find("05")->unitSlots, "01,02");
    EXPECT_EQ(model.Find("05")->designatedDoctor, "D1");

    const PendingTypeLists doctorLists = model.Lists();
    EXPECT_EQ(doctorLists.type, "01,05");
    EXPECT_EQ(doctorLists.changeOk, "0,1");
    EXPECT_EQ(doctorLists.typeUnit, ",02");
    EXPECT_EQ(doctorLists.typeDoctor, ",D1_D2");
    EXPECT_EQ(doctorLists.typeTime, "0,45");
    EXPECT_EQ(doctorLists.typeDay, "0-0,3-0");
    model.SetMode(kUnitMode);
    const PendingTypeLists unitLists = model.Lists();
    EXPECT_EQ(unitLists.typeUnit, ",01_02");
    EXPECT_EQ(unitLists.typeDoctor, ",D1");
}

// The warning of a checked type by mode, missing slots and minutes; none for unchecked types.
TEST(TypeSettings, WarningsByModeSlotsAndMinutes) {
    DialogClinic clinic;
    clinic.AddCategory("0", "01", "検診");
    TypeSettingsModel model = Open(clinic, kUnitMode);
    EXPECT_EQ(model.Warning(0), ""); // not changeable
    model.SetChecked(0, true);
    EXPECT_EQ(model.Warning(0), J(" ※ユニット、診療時間が未指定です！"));

    TypeEdit e;
    e.minutes = 30;
    model.Collect("01", e);
    EXPECT_EQ(model.Warning(0), J(" ※ユニットが未指定です！"));
    e.slotCodes = "01";
    model.Collect("01", e);
    EXPECT_EQ(model.Warning(0), "");
    e.minutes = 0;
    model.Collect("01", e);
    EXPECT_EQ(model.Warning(0), J(" ※診療時間が未指定です！"));

    model.SetMode(kDoctorMode); // the doctor slots are still empty
    EXPECT_EQ(model.Warning(0), J(" ※ドクター、診療時間が未指定です！"));
    TypeEdit d = model.Show("01");
    d.minutes = 1;
    model.Collect("01", d);
    EXPECT_EQ(model.Warning(0), J(" ※ドクターが未指定です！"));
    EXPECT_EQ(model.Warning(5), ""); // no such line
}

// The hidden-types text holds "[code]" tokens: added once, removed whole, and the code of
// another type inside a token ("1" in "[10]") does not count as hidden.
TEST(TypeSettings, HiddenTypeTokens) {
    DialogClinic clinic;
    clinic.AddCategory("0", "1", "検診");
    clinic.AddCategory("0", "10", "抜歯");
    clinic.Set("COMMON", "HIDDEN_APPOTYPES", "[10]");
    TypeSettingsModel model = Open(clinic, kUnitMode);
    EXPECT_TRUE(model.Show("10").hidden);
    EXPECT_FALSE(model.Show("1").hidden);

    TypeEdit e = model.Show("1");
    e.hidden = true;
    model.Collect("1", e);
    model.Collect("1", e); // collected again: no second token
    EXPECT_EQ(model.HiddenText(), "[10][1]");

    TypeEdit ten = model.Show("10");
    ten.hidden = false;
    model.Collect("10", ten);
    EXPECT_EQ(model.HiddenText(), "[1]");
    e.hidden = false;
    model.Collect("1", e);
    EXPECT_EQ(model.HiddenText(), "");
}
