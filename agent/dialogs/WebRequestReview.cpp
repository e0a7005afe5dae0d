#include "agent/dialogs/WebRequestReview.h"

#include <algorithm>
#include <cstring>

#include "agent/core/CDBException.h"
#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/core/LocalDateConversions.h"
#include "agent/core/SqlLiterals.h"
#include "agent/core/WebSession.h"
#include "agent/sync/exchanges/FirstVisitBookings.h"
#include "agent/sync/support/WebValueText.h"
#include "outside/pelmodb/CCategoryDB.h"
#include "outside/pelmodb/CPatientDB.h"
#include "outside/pelmodb/CReservationDB.h"
#include "outside/tools/CTools.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

using platform::J;
using platform::RecText;

namespace {

// Closes the web connection when a run ends, however it ends.
struct CloseAfterRun {
    WebSession& web;
    ~CloseAfterRun() { web.Close(); }
};

std::string WishedText(const std::string& ymd, const std::string& hm) {
    return DottedDate(ymd) + "  " + ColonTime(hm);
}

// The type name of a category kind "0" code; empty when unknown.
std::string TypeName(CCategoryDB& categories, const std::string& code) {
    if (categories.GetCategoryData("0", code) != PelmoStatus::kOk)
        return {};
    return RecText(categories.m_rec.name);
}

// Keeps the first failure of a run.
void Note(ReviewOutcome& outcome, ReviewOutcome::Kind kind, const std::string& detail) {
    if (!outcome.Failed())
        outcome = {kind, detail};
}

// The first booked reservation of the patient from today on (key 2: patient key, date), as
// "YYYY.MM.DD [type]"; empty when there is none.
std::string NextAppointment(CReservationDB& book, CCategoryDB& categories,
                            const std::string& patientKey, const std::string& today) {
    char key[35] = {};
    std::memcpy(key, patientKey.data(), std::min<std::size_t>(patientKey.size(), 20));
    std::memcpy(key + 21, today.data(), std::min<std::size_t>(today.size(), 8));
    book.SetKey(2);
    book.SetKeyBuffer(key, sizeof key);
    for (int rc = book.GetGREQ(); rc == PelmoStatus::kOk; rc = book.GetNEXT()) {
        const tagReservation& r = book.m_rec;
        if (RecText(r.patientKey) != patientKey)
            break;
        if (r.status == ReservationStatus::kBooked)
            return DottedDate(RecText(r.date)) + " [" + TypeName(categories, RecText(r.type)) + "]";
    }
    return {};
}

} // namespace

std::string WebRequestReview::DeleteRun::FailureLine() const {
    if (failed == 0)
        return {};
    return std::to_string(failed) + J("件を削除できませんでした。");
}

WebRequestReview::WebRequestReview(WebSession& web, std::string databaseFolder,
                                   const platform::Clock& clock)
    : m_web(web), m_folder(std::move(databaseFolder)), m_clock(clock) {}

WebRequestReview::Load<WebRequestReview::BookingRow> WebRequestReview::LoadWebBookings() {
    Load<BookingRow> load;
    load.outcome = ReviewOutcome::Connect(m_web);
    if (load.outcome.Failed())
        return load;
    CloseAfterRun closer{m_web};
    const std::string today = TodayYmd(m_clock);
    try {
        CRecordset rs(&m_web.Database());
        rs.Open(CRecordset::forwardOnly,
                "SELECT * FROM first_appointments WHERE (cancel_flag IS NULL) AND "
                "(appo_key IS NULL OR appo_key='' OR appo_key='E') ORDER BY updated_at",
                CRecordset::readOnly);
        for (; !rs.IsEOF(); rs.MoveNext()) {
            // Only bookings the agent could not place: marked "E" or reported as without a
            // free slot (created_at set into the year 2000).
            LocalDateTime created;
            const bool reported =
                GetFieldDateTime(rs, "created_at", created) && created.year == 2000;
            if (GetFieldText(rs, "appo_key") != "E" && !reported)
                continue;

            BookingRow row;
            row.id = GetFieldText(rs, "id");
            row.updated = DottedDate(FieldDateYmd(rs, "updated_at"));
            row.wished = WishedText(FieldDateYmd(rs, "appo_date"), FieldTimeHm(rs, "appo_time"));
            const std::string gender = GetFieldText(rs, "gender");
            row.name = GetFieldText(rs, "name") + " / " + GetFieldText(rs, "name_kana");
            if (!gender.empty())
                row.name += " (" + gender + ")";
            const std::string birthday = FieldDateYmd(rs, "birthday");
            if (!birthday.empty()) {
                row.birthday = DottedDate(birthday);
                int years = 0, months = 0;
                // A birthday after today has no age; the date alone is shown then.
                if (CTools::CaclAge(birthday, today.c_str(), years, months))
                    row.birthday += " (" + std::to_string(years) + J("歳)");
            }
            row.tel = GetFieldText(rs, "tel");
            row.email = GetFieldText(rs, "email");
            row.address = GetFieldText(rs, "address");
            row.content = GetFieldText(rs, "content");
            load.rows.push_back(std::move(row));
        }
    } catch (const CDBException& e) {
        Note(load.outcome, ReviewOutcome::WebQueryFailed, e.m_strError);
    }
    return load;
}

WebRequestReview::Load<WebRequestReview::RequestRow> WebRequestReview::LoadAppRequests() {
    Load<RequestRow> load;
    load.outcome = ReviewOutcome::Connect(m_web);
    if (load.outcome.Failed())
        return load;
    CloseAfterRun closer{m_web};
    const std::string today = TodayYmd(m_clock);

    CReservationDB book(m_folder, 0);
    CPatientDB patients(m_folder, 0);
    CCategoryDB categories(m_folder, 0);
    book.SetAssociatedDB(nullptr);
    patients.SetAssociatedDB(nullptr);
    categories.SetAssociatedDB(nullptr);

    try {
        CRecordset rs(&m_web.Database());
        rs.Open(CRecordset::forwardOnly,
                "SELECT * FROM appointments WHERE status_flag=2 ORDER BY appo_date",
                CRecordset::readOnly);
        for (; !rs.IsEOF(); rs.MoveNext()) {
            const std::string key = GetFieldText(rs, "appo_key");
            const std::string patientKey = GetFieldText(rs, "patient_key");

            const int found = book.GetReservationData(key);
            if (found != PelmoStatus::kOk) {
                if (found != PelmoStatus::kNotFound)
                    Note(load.outcome, ReviewOutcome::LocalFailed, book.GetLastDBErr());
                continue;
            }
            if (book.m_rec.status != ReservationStatus::kChangeRefused)
                continue;
            const std::string typeCode = RecText(book.m_rec.type);

            const int known = patients.GetPatient1Data(patientKey);
            if (known != PelmoStatus::kOk) {
                if (known != PelmoStatus::kNotFound)
                    Note(load.outcome, ReviewOutcome::LocalFailed, patients.GetLastDBErr());
                continue;
            }

            RequestRow row;
            row.id = GetFieldText(rs, "id");
            row.wished =
                WishedText(FieldDateYmd(rs, "appo_date"), FieldTimeHm(rs, "appo_start_time"));
            row.type = TypeName(categories, typeCode);
            const tagPatient& p = patients.m_rec;
            row.patientId = RecText(p.displayNo) + " / " + RecText(p.secondNo);
            row.patientName = RecText(p.name) + " / " + RecText(p.kana);
            if (patientKey != kFirstVisitPatientKey)
                row.next = NextAppointment(book, categories, patientKey, today);
            load.rows.push_back(std::move(row));
        }
    } catch (const CDBException& e) {
        Note(load.outcome, ReviewOutcome::WebQueryFailed, e.m_strError);
    }
    return load;
}

WebRequestReview::DeleteRun
WebRequestReview::DeleteWebBookings(const std::vector<std::string>& ids) {
    return DeleteRows("first_appointments", ids);
}

WebRequestReview::DeleteRun
WebRequestReview::DeleteAppRequests(const std::vector<std::string>& ids) {
    return DeleteRows("appointments", ids);
}

WebRequestReview::DeleteRun WebRequestReview::DeleteRows(const char* table,
                                                         const std::vector<std::string>& ids) {
    DeleteRun run;
    if (ids.empty())
        return run;
    run.outcome = ReviewOutcome::Connect(m_web);
    if (run.outcome.Failed()) {
        run.failed = static_cast<int>(ids.size());
        return run;
    }
    CloseAfterRun closer{m_web};
    for (const std::string& id : ids) {
        try {
            m_web.Database().ExecuteSQL(std::string("DELETE FROM ") + table +
                                        " WHERE id=" + SqlText(id));
            ++run.deleted;
        } catch (const CDBException& e) {
            ++run.failed;
            Note(run.outcome, ReviewOutcome::WebQueryFailed, e.m_strError);
        }
    }
    return run;
}
