#include <algorithm>
#include <cstdio>
#include <vector>

#include "agent/core/CRecordset.h"
#include "agent/core/ClinicSettings.h"
#include "agent/core/CommaList.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/exchanges/FirstVisitBookings.h"
#include "agent/sync/support/FindFreeSlot.h"
#include "agent/sync/support/WebLinks.h"
#include "agent/sync/support/WebValueText.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "outside/tools/CTools.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

using platform::J;
using platform::RecText;
using platform::SetRecText;
namespace keys = settingkeys;

namespace {

struct Page {
    std::string title, label, categoryId, otherCode;
    std::vector<std::string> candidates;
    int minutes = 60;
};

struct Booking {
    std::string id, reservationKey, date, time, name, kana, content, birthday, gender, tel, email,
        address, updatedDate;
    bool reported = false;
};

// The placeholder patient that first-visit reservations point to; made once when missing.
void EnsurePlaceholderPatient(SyncContext& ctx) {
    CPatientDB& patients = ctx.tables.patient;
    if (patients.GetPatient1Data(kFirstVisitPatientKey) != PelmoStatus::kNotFound)
        return;
    patients.ClearRecord();
    SetRecText(patients.m_rec.key, kFirstVisitPatientKey);
    SetRecText(patients.m_rec.name, J("初診相談（Web）"));
    SetRecText(patients.m_rec.kana, J("ｼｮｼﾝｿｳﾀﾞﾝ(Web)"));
    patients.Insert(); // a failure only leaves the name missing in the clinic's lists
}

std::vector<Booking> ReadBookings(SyncContext& ctx, int page) {
    std::string sql = "SELECT * FROM first_appointments WHERE (cancel_flag IS NULL) AND "
                      "(appo_key IS NULL OR appo_key='' OR appo_key='E') AND ";
    if (page == 0)
        sql += "(appo_flag IS NULL OR appo_flag=1)";
    else
        sql += "(appo_flag=" + std::to_string(page + 1) + ")";
    sql += " AND appo_date>=DATE(CONVERT_TZ(CURRENT_TIME,'UTC','Asia/Tokyo')) "
           "ORDER BY updated_at";

    std::vector<Booking> rows;
    CRecordset rs(&ctx.web.Database());
    rs.Open(CRecordset::forwardOnly, sql, CRecordset::readOnly);
    for (; !rs.IsEOF(); rs.MoveNext()) {
        Booking b;
        b.date = FieldDateYmd(rs, "appo_date");
        b.time = FieldTimeHm(rs, "appo_time");
        b.id = GetFieldText(rs, "id");
        b.reservationKey = GetFieldText(rs, "appo_key");
        b.name = GetFieldText(rs, "name");
        b.kana = GetFieldText(rs, "name_kana");
        b.content = GetFieldText(rs, "content");
        LocalDateTime created;
        b.reported = GetFieldDateTime(rs, "created_at", created) && created.year == 2000;
        b.birthday = FieldDateYmd(rs, "birthday");
        b.gender = GetFieldText(rs, "gender");
        b.tel = GetFieldText(rs, "tel");
        b.email = GetFieldText(rs, "email");
        b.address = GetFieldText(rs, "address");
        b.updatedDate = FieldDateYmd(rs, "updated_at");
        rows.push_back(b);
    }
    return rows;
}

bool IsMale(const std::string& gender) {
    static const std::string kMan = J("男");
    return !gender.empty() &&
           (gender[0] == 'M' || gender[0] == 'm' || gender.compare(0, kMan.size(), kMan) == 0);
}

// What one row needs sent, and what its acceptance means locally.
struct Answer {
    std::string sql;            // "" when nothing is to be sent
    std::string reservationKey; // set when the statement confirms the row's link
    bool repeat = false;        // the booking was made in an earlier cycle
};

Answer BookOne(SyncContext& ctx, const Page& page, int unitType, bool firstCycle,
               const Booking& b) {
    CReservationDB& book = ctx.tables.reservation;
    const auto confirm = [&b](const std::string& key) {
        return "UPDATE first_appointments SET appo_key=" + SqlText(key) +
               " WHERE id=" + SqlText(b.id);
    };

    // A booking made for this row in an earlier cycle whose key never reached the web: only the
    // answer is repeated. When the book cannot be read, the row waits rather than risk a second
    // booking.
    tagWebLink link;
    std::string err;
    const int linked = FindLinkedReservation(ctx, weblink::kFirstAppointments, b.id, link, err);
    if (IsReadError(linked)) {
        ctx.log.WriteLog(OperationLog::Error, J("予約テーブルアクセスエラー ") + err,
                         kFirstVisitPatientKey);
        return {};
    }
    if (linked == PelmoStatus::kOk && ReservationStatus::HoldsSlot(book.m_rec.status)) {
        const std::string key = RecText(link.reservationKey);
        return {confirm(key), key, true};
    }

    std::string age;
    if (!b.birthday.empty()) {
        int years = 0, months = 0;
        if (CTools::CaclAge(b.birthday, b.date.c_str(), years, months))
            age = std::to_string(years) + J("歳");
    }
    const bool male = IsMale(b.gender);
    const std::string genderText = b.gender.empty() ? std::string() : "(" + b.gender + ")";
    const std::string who = b.name + " , " + b.kana + " " + age + " " + genderText +
                            " TEL:" + b.tel + " Mail:" + b.email + J(" 住所:") + b.address + "]";
    const bool marked = b.reservationKey == "E";

    const int free =
        FindFreeSlot(b.time, page.candidates, book, unitType, b.date, page.minutes, "");
    if (free < 0) {
        if (!firstCycle && b.reported)
            return {};
        if (firstCycle || !marked)
            ctx.log.WriteLog(OperationLog::Overlap,
                             DottedDate(b.date) + " " + ColonTime(b.time) +
                                 J(" 空き枠が無いため初診相談予約") + page.label +
                                 J("が追加できません。[") + who,
                             kFirstVisitPatientKey);
        if (b.reported)
            return {};
        return {"UPDATE first_appointments SET created_at='2000-01-01 00:00:00' "
                "WHERE id=" +
                    SqlText(b.id),
                {},
                false};
    }

    if (firstCycle || (!marked && !b.reported))
        ctx.log.WriteLog(OperationLog::WebBooking,
                         J("希望日時 ") + DottedDate(b.date) + " " + ColonTime(b.time) + " [" + who,
                         kFirstVisitPatientKey);
    EnsurePlaceholderPatient(ctx);

    CIndexControlDB& index = ctx.tables.index;
    const std::string key = index.GetNexReservationIndex();
    if (key.empty()) {
        ctx.log.WriteLog(OperationLog::Error, J("予約番号を取得できません ") + index.GetLastDBErr(),
                         kFirstVisitPatientKey);
        return {};
    }
    book.ClearRecord();
    tagReservation& r = book.m_rec;
    SetRecText(r.key, key);
    SetRecText(r.patientKey, kFirstVisitPatientKey);
    const std::string& candidate = page.candidates[static_cast<std::size_t>(free)];
    SetRecText(r.unit, unitType == 0 ? candidate : page.otherCode);
    SetRecText(r.doctor, unitType == 0 ? page.otherCode : candidate);
    SetRecText(r.type, page.categoryId);
    SetRecText(r.date, b.date);
    SetRecText(r.start, b.time);
    SetRecText(r.end, AddMinutes(b.time, page.minutes));
    SetRecText(r.webUpdateDate, b.updatedDate);
    r.status = ReservationStatus::kBooked;
    SetRecText(r.guestTitle, page.title);
    SetRecText(r.memo, b.content);
    SetRecText(r.guestName, b.name);
    SetRecText(r.guestKana, b.kana);
    SetRecText(r.guestBirthday, b.birthday);
    SetRecText(r.guestGender, male ? "1" : "0");
    SetRecText(r.guestTel, b.tel);
    SetRecText(r.guestMail, b.email);
    SetRecText(r.guestAddress, b.address);
    index.UpdateNext();
    const tagWebLink made = MakeWebLink(ctx.clock, weblink::kFirstAppointments, b.id,
                                        CWebLinkDB::kBooked, key, b.date + b.time);
    if (WriteLinked(
            ctx, {&book}, made, [&book] { return book.Insert(0); }, err) != PelmoStatus::kOk) {
        ctx.log.WriteLog(OperationLog::Error, J("予約を登録できません ") + err,
                         kFirstVisitPatientKey);
        return {};
    }
    return {confirm(key), key, false};
}

} // namespace

void ProcessFirstVisitBookings(SyncContext& ctx, bool firstCycle) {
    const int unitType = ctx.settings.Get(keys::kUnitType);
    const int pageCount = std::max(1, ctx.settings.Get(keys::kFirstPageNum));
    for (int p = 0; p < pageCount; ++p) {
        Page page;
        page.title = ctx.settings.Get(keys::kFirstTitle, p);
        if (!page.title.empty())
            page.label = "(" + page.title + ")";
        else if (p >= 1)
            page.label = "(" + std::to_string(p + 1) + ")";
        page.candidates = CommaList(ctx.settings.Get(keys::kFirstUnitId, p)).Items();
        if (page.candidates.empty())
            continue;
        page.minutes = ctx.settings.Get(keys::kFirstTime, p);
        page.categoryId = ctx.settings.Get(keys::kFirstCategoryId, p);
        page.otherCode = ctx.settings.Get(keys::kFirstUnitDoctorId, p);

        std::vector<Booking> rows;
        try {
            rows = ReadBookings(ctx, p);
        } catch (const CDBException& e) {
            ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
            continue;
        }
        for (const Booking& b : rows) {
            const Answer answer = BookOne(ctx, page, unitType, firstCycle, b);
            if (answer.sql.empty())
                continue;
            try {
                ctx.web.Database().ExecuteSQL(answer.sql);
            } catch (const CDBException& e) {
                ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
                continue;
            }
            if (answer.reservationKey.empty())
                continue;
            ConfirmWebLink(ctx, weblink::kFirstAppointments, b.id);
            if (answer.repeat)
                LogRepeatedConfirmation(ctx, OperationLog::WebBooking, J("予約"),
                                        answer.reservationKey, kFirstVisitPatientKey);
        }
    }
}
