#include "agent/sync/exchanges/WebChangeRequests.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "agent/core/CDBException.h"
#include "agent/core/CRecordset.h"
#include "agent/core/ClinicSettings.h"
#include "agent/core/CommaList.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/support/FillStatement.h"
#include "agent/sync/support/FindFreeSlot.h"
#include "agent/sync/support/WebLinks.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"
#include "platform/FormatNumbers.h"
#include "platform/RecordFields.h"

using platform::FormatNumbers;
using platform::J;
using platform::RecText;
using platform::SetRecText;

namespace {

std::string YyyyMmDd(const LocalDateTime& t) {
    return FormatNumbers("%04d%02d%02d", t.year, t.month, t.day);
}

// One waiting request as read from the web row.
struct Request {
    std::string appoKey;
    std::optional<DbTimestamp> date;  // appo_date
    std::optional<DbTimestamp> start; // appo_start_time
    std::optional<DbTimestamp> end;   // appo_end_time
    std::optional<LocalDateTime> updatedAt;
};

std::optional<DbTimestamp> ReadTimestamp(const CRecordset& rs, const std::string& name) {
    CDBVariant v;
    rs.GetFieldValue(name, v);
    if (v.m_dwType != DBVT_DATE)
        return std::nullopt;
    return v.m_date;
}

// The wished values in the forms the book and the log use.
struct Wish {
    bool valid = false;
    std::string date;     // YYYYMMDD
    std::string dateDots; // YYYY.MM.DD
    std::string start;    // HHMM
    std::string startColon;
    std::string end; // HHMM
    int minutes = 0; // length
};

bool IsTimeOfDay(const DbTimestamp& t) {
    return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 &&
           t.second <= 59;
}

Wish ReadWish(const Request& r) {
    Wish w;
    if (r.date) {
        w.date = FormatNumbers("%04d%02d%02d", r.date->year, r.date->month, r.date->day);
        w.dateDots = FormatNumbers("%04d.%02d.%02d", r.date->year, r.date->month, r.date->day);
    }
    if (r.start) {
        w.start = FormatNumbers("%02d%02d", r.start->hour, r.start->minute);
        w.startColon = FormatNumbers("%02d:%02d", r.start->hour, r.start->minute);
    }
    if (r.end)
        w.end = FormatNumbers("%02d%02d", r.end->hour, r.end->minute);
    if (!r.date || !r.start || !r.end || !IsValidDate(w.date) || !IsTimeOfDay(*r.start) ||
        !IsTimeOfDay(*r.end))
        return w;
    const auto seconds = [](const DbTimestamp& t) {
        return t.hour * 3600 + t.minute * 60 + t.second;
    };
    w.minutes = static_cast<int>(std::floor((seconds(*r.end) - seconds(*r.start) + 0.5) / 60.0));
    w.valid = w.minutes >= 1;
    return w;
}

// The request as a link remembers it.
std::string RequestOf(const Wish& w) {
    return w.date + w.start + w.end;
}

// The settings of one pass.
struct Settings {
    int unitType = 0;
    CommaList types;
    CommaList changeOk;
    CommaList typeUnit;
    CommaList typeDoctor;
};

Settings ReadSettings(const ClinicSettings& settings) {
    Settings s;
    s.unitType = settings.Get(settingkeys::kUnitType);
    s.types = CommaList(settings.Get(settingkeys::kPendingType));
    s.changeOk = CommaList(settings.Get(settingkeys::kPendingChangeOk));
    s.typeUnit = CommaList(settings.Get(settingkeys::kPendingTypeUnit));
    s.typeDoctor = CommaList(settings.Get(settingkeys::kPendingTypeDoctor));
    return s;
}

std::vector<std::string> CandidateList(std::string entry) {
    std::replace(entry.begin(), entry.end(), '_', ',');
    return CommaList(entry).Items();
}

// Up to three statements of one row, sent in order. The third is the notice of a refusal: it
// goes only when the first was accepted, so a refusal answered again next cycle (or turned into
// a move then) does not tell the patient twice.
struct Statements {
    std::string sql[3];
    bool linked = false;    // the first statement answers a change written with its link
    std::string repeatWhat; // set when the change was written in an earlier cycle (CP932)
    std::string patientKey;
};

class RowHandler {
public:
    RowHandler(SyncContext& ctx, const Settings& settings)
        : m_ctx(ctx), m_settings(settings), m_res(ctx.tables.reservation) {}

    void Handle(const Request& row, Statements& out);

private:
    // The steps of Handle, in order.
    // Reads the row's reservation into the record buffer; answers (or leaves waiting) a row
    // whose reservation is gone, unreadable, arrived or cancelled. True when the wish is to be
    // decided.
    bool FindOpenReservation(const Request& row, Statements& out);
    // The type's index in the settings when patients may move it, else -1.
    int MovableTypeIndex(const std::string& type) const;
    // True when nothing further is to be done: the book could not be read, or this very request
    // was decided in an earlier cycle and its answer is sent again.
    bool AnsweredEarlier(const Request& row, const Wish& wish, const std::string& patientKey,
                         Statements& out);
    void LogWish(const Wish& wish, const std::string& patientKey);
    // Units (or doctors in doctor mode) the reservation may move to, in the order tried.
    std::vector<std::string> Candidates(int typeIndex) const;
    // Looks for a free slot among the candidates and books or refuses the wish.
    void Decide(const Request& row, const Wish& wish, const std::vector<std::string>& candidates,
                const std::string& patientKey, Statements& out);
    void Book(const std::string& appoKey, const Wish& wish, const std::string& chosen,
              Statements& out);
    bool DoctorMode() const { return m_settings.unitType != 0; }

    void Remove(const std::string& key, Statements& out);
    void TakeBack(Statements& out);
    std::string UnitName(const std::string& code);
    std::string DoctorName(const std::string& code);
    void RecordMove(tagReservation& r);
    void Refused(const std::string& appoKey, const Wish& wish, Statements& out);
    void Moved(const std::string& appoKey, Statements& out);
    // Writes the reservation in the record buffer with the link of the row's request.
    bool Write(const std::string& appoKey, char action, const Wish& wish);

    SyncContext& m_ctx;
    const Settings& m_settings;
    CReservationDB& m_res;
};

std::string RowHandler::UnitName(const std::string& code) {
    CCategoryDB& cat = m_ctx.tables.category;
    return cat.GetCategoryData("1", code) == PelmoStatus::kOk ? RecText(cat.m_rec.name)
                                                              : std::string();
}

std::string RowHandler::DoctorName(const std::string& code) {
    CDoctorDB& doc = m_ctx.tables.doctor;
    return doc.GetDoctorData(code) == PelmoStatus::kOk ? RecText(doc.m_rec.name) : std::string();
}

// The web row of a reservation that is gone (or cancelled) goes too; its standby row only when
// no local standby entry still refers to the reservation.
void RowHandler::Remove(const std::string& key, Statements& out) {
    out.sql[0] = FillStatement("DELETE FROM appointments WHERE appo_key=%s", {SqlText(key)});
    // Only a definite "no entry" removes the standby row: a failed read must not lose it.
    if (m_ctx.tables.standby.GetReservationStandbyDataFromReservationKey(key) ==
        PelmoStatus::kNotFound)
        out.sql[1] =
            FillStatement("DELETE FROM pending_appointments WHERE appo_key=%s", {SqlText(key)});
}

// Rewrites the web row from the reservation in the record buffer.
void RowHandler::TakeBack(Statements& out) {
    const tagReservation& r = m_res.m_rec;
    const std::string unit = RecText(r.unit);
    const std::string doctor = RecText(r.doctor);
    out.sql[0] =
        FillStatement("UPDATE appointments SET appo_date=%s,appo_start_time=%s,appo_end_time=%s,"
                      "unit_id=%s,unit_name=%s,pic_id=%s,pic_name=%s,status_flag=4 WHERE "
                      "appo_key=%s",
                      {SqlDate(RecText(r.date)), SqlTime(RecText(r.start)), SqlTime(RecText(r.end)),
                       SqlText(unit), SqlText(UnitName(unit)), SqlText(doctor),
                       SqlText(DoctorName(doctor)), SqlText(RecText(r.key))});
}

// Keeps the old date and start in the five-slot history, oldest first.
void RowHandler::RecordMove(tagReservation& r) {
    SetRecText(r.lastChangeDate, YyyyMmDd(LocalNow(m_ctx.clock)));
    if (r.history[4].date[0] != '\0') {
        for (int i = 0; i < 4; ++i)
            r.history[i] = r.history[i + 1];
        r.history[4] = tagReservationHistory{};
    }
    for (tagReservationHistory& h : r.history) {
        if (h.date[0] == '\0' && h.start[0] == '\0') {
            SetRecText(h.date, RecText(r.date));
            SetRecText(h.start, RecText(r.start));
            break;
        }
    }
    r.changeCount += 1;
}

void RowHandler::Handle(const Request& row, Statements& out) {
    if (!FindOpenReservation(row, out))
        return;
    const Wish wish = ReadWish(row);

    // Only the types the clinic lets patients move; the others wait untouched.
    const int typeIndex = MovableTypeIndex(RecText(m_res.m_rec.type));
    if (typeIndex < 0)
        return;

    const std::string patientKey = RecText(m_res.m_rec.patientKey);
    if (!wish.valid) {
        // A wish without a real date, time of day or length cannot be booked; the row is
        // answered with the reservation as it stands.
        m_ctx.log.WriteLog(OperationLog::Error,
                           J("希望日時が正しくないため予約を変更できません。") + " [" +
                               row.appoKey + "]",
                           patientKey);
        TakeBack(out);
        return;
    }
    if (AnsweredEarlier(row, wish, patientKey, out))
        return;
    LogWish(wish, patientKey);
    Decide(row, wish, Candidates(typeIndex), patientKey, out);
}

bool RowHandler::FindOpenReservation(const Request& row, Statements& out) {
    OperationLog& log = m_ctx.log;
    if (row.appoKey.empty()) {
        // No statement could name this row; looking it up would only match a keyless record.
        log.WriteLog(OperationLog::Error, J("予約キーの無い予約変更依頼は処理できません。"));
        return false;
    }

    const int found = m_res.GetReservationData(row.appoKey);
    if (found == PelmoStatus::kNotFound) {
        Remove(row.appoKey, out);
        return false;
    }
    if (found != PelmoStatus::kOk) {
        // The book could not be read: the request waits for the next cycle rather than the web
        // row being removed as if the reservation were gone.
        log.WriteLog(OperationLog::Error,
                     J("予約情報を読み込めません。") + " " + m_res.GetLastDBErr(), row.appoKey);
        return false;
    }

    const char status = m_res.m_rec.status;
    if (status == ReservationStatus::kArrived) {
        TakeBack(out);
        return false;
    }
    if (status != ReservationStatus::kBooked && status != ReservationStatus::kChangeRefused) {
        Remove(row.appoKey, out);
        return false;
    }
    return true;
}

int RowHandler::MovableTypeIndex(const std::string& type) const {
    const int typeIndex = m_settings.types.Find(type);
    if (m_settings.types.Count() == 0 || typeIndex < 0)
        return -1;
    if (m_settings.changeOk.Has(typeIndex) && m_settings.changeOk.Item(typeIndex) != "1")
        return -1;
    return typeIndex;
}

bool RowHandler::AnsweredEarlier(const Request& row, const Wish& wish,
                                 const std::string& patientKey, Statements& out) {
    tagWebLink link;
    const int linked = FindOutstandingLink(m_ctx, weblink::kAppointments, row.appoKey, link);
    if (IsReadError(linked)) {
        m_ctx.log.WriteLog(OperationLog::Error,
                           J("予約情報を読み込めません。") + " " +
                               m_ctx.tables.webLink.GetLastDBErr(),
                           patientKey);
        return true;
    }
    if (linked != PelmoStatus::kOk || RecText(link.reservationKey) != row.appoKey ||
        RecText(link.request) != RequestOf(wish))
        return false;

    out.patientKey = patientKey;
    // The book must still show the decision; a change made there since is decided anew.
    const tagReservation& r = m_res.m_rec;
    if (link.action == CWebLinkDB::kMoved && r.status == ReservationStatus::kBooked &&
        RecText(r.date) == wish.date && RecText(r.start) == wish.start &&
        RecText(r.end) == wish.end) {
        Moved(row.appoKey, out);
        out.repeatWhat = J("予約変更");
        return true;
    }
    if (link.action == CWebLinkDB::kRefused && r.status == ReservationStatus::kChangeRefused) {
        Refused(row.appoKey, wish, out);
        out.repeatWhat = J("予約変更不可");
        return true;
    }
    return false;
}

void RowHandler::LogWish(const Wish& wish, const std::string& patientKey) {
    CPatientDB& patients = m_ctx.tables.patient;
    std::string patientId = J("未登録");
    std::string patientName;
    if (patients.GetPatient1Data(patientKey) == PelmoStatus::kOk) {
        patientId = RecText(patients.m_rec.displayNo);
        patientName = RecText(patients.m_rec.name);
    }
    m_ctx.log.WriteLog(OperationLog::Confirmed,
                       J("希望日時 ") + wish.dateDots + " " + wish.startColon + " [" + patientId +
                           " , " + patientName + "]",
                       patientKey);
}

std::vector<std::string> RowHandler::Candidates(int typeIndex) const {
    const tagReservation& r = m_res.m_rec;
    if (!DoctorMode()) {
        const std::string entry = m_settings.typeUnit.ItemOr(typeIndex, "");
        return entry.empty() ? std::vector<std::string>{RecText(r.unit)} : CandidateList(entry);
    }
    if (m_settings.typeDoctor.Count() == 0)
        return {RecText(r.doctor)};
    return CandidateList(m_settings.typeDoctor.ItemOr(typeIndex, ""));
}

void RowHandler::Decide(const Request& row, const Wish& wish,
                        const std::vector<std::string>& candidates, const std::string& patientKey,
                        Statements& out) {
    OperationLog& log = m_ctx.log;
    bool readError = false;
    const int chosen = FindFreeSlot(wish.start, candidates, m_res, m_settings.unitType, wish.date,
                                    wish.minutes, row.appoKey, readError);

    // The search moved the record buffer.
    const int again = m_res.GetReservationData(row.appoKey);
    if (again != PelmoStatus::kOk) {
        log.WriteLog(OperationLog::Error,
                     J("予約情報を読み込めません。") + " " + m_res.GetLastDBErr(), patientKey);
        return;
    }
    if (chosen < 0 && readError) {
        // Not knowing whether a slot is free is no reason to refuse the patient.
        log.WriteLog(OperationLog::Error,
                     J("予約情報を読み込めません。") + " " + m_res.GetLastDBErr(), patientKey);
        return;
    }
    tagReservation& r = m_res.m_rec;
    if (row.updatedAt)
        SetRecText(r.webUpdateDate, YyyyMmDd(*row.updatedAt));

    if (chosen < 0) {
        log.WriteLog(OperationLog::Error,
                     wish.dateDots + " " + wish.startColon +
                         J(" 空き枠が無いため予約が確定できません。"),
                     patientKey);
        r.status = ReservationStatus::kChangeRefused;
        if (!Write(row.appoKey, CWebLinkDB::kRefused, wish))
            return;
        Refused(row.appoKey, wish, out);
        return;
    }
    Book(row.appoKey, wish, candidates[static_cast<std::size_t>(chosen)], out);
}

void RowHandler::Book(const std::string& appoKey, const Wish& wish, const std::string& chosen,
                      Statements& out) {
    tagReservation& r = m_res.m_rec;
    r.status = ReservationStatus::kBooked;
    if (DoctorMode())
        SetRecText(r.doctor, chosen);
    else
        SetRecText(r.unit, chosen);
    if (r.date[0] != '\0' && (RecText(r.date) != wish.date || RecText(r.start) != wish.start))
        RecordMove(r);
    SetRecText(r.date, wish.date);
    SetRecText(r.start, wish.start);
    SetRecText(r.end, wish.end);
    if (!Write(appoKey, CWebLinkDB::kMoved, wish))
        return;
    Moved(appoKey, out);
}

bool RowHandler::Write(const std::string& appoKey, char action, const Wish& wish) {
    std::string err;
    const tagWebLink made =
        MakeWebLink(m_ctx.clock, weblink::kAppointments, appoKey, action, appoKey, RequestOf(wish));
    if (WriteLinked(
            m_ctx, {&m_res}, made, [this] { return m_res.Update(1); }, err) != 0) {
        m_ctx.log.WriteLog(OperationLog::Error, J("予約情報を更新できません。") + " " + err,
                           RecText(m_res.m_rec.patientKey));
        return false;
    }
    return true;
}

// The answer to a refused request for the reservation in the record buffer.
void RowHandler::Refused(const std::string& appoKey, const Wish& wish, Statements& out) {
    const std::string key = SqlText(appoKey);
    out.sql[0] = FillStatement("UPDATE appointments SET status_flag=1 WHERE appo_key=%s", {key});
    out.sql[1] = FillStatement(
        "UPDATE pending_appointments SET confirmed_flag=0,appo_key=NULL WHERE appo_key=%s", {key});
    out.sql[2] = BuildChangeRequestNotice(m_ctx.clock, RecText(m_res.m_rec.patientKey),
                                          wish.dateDots, wish.startColon);
    out.linked = true;
}

// The answer to a move of the reservation in the record buffer.
void RowHandler::Moved(const std::string& appoKey, Statements& out) {
    const tagReservation& r = m_res.m_rec;
    const std::string unit = RecText(r.unit);
    const std::string doctor = RecText(r.doctor);
    out.sql[0] =
        FillStatement("UPDATE appointments SET unit_id=%s,unit_name=%s,pic_id=%s,pic_name=%s,"
                      "status_flag=4 WHERE appo_key=%s",
                      {SqlText(unit), SqlText(UnitName(unit)), SqlText(doctor),
                       SqlText(DoctorName(doctor)), SqlText(appoKey)});
    out.linked = true;
}

// True when the row was answered (its first statement went through).
bool Execute(SyncContext& ctx, const std::string& appoKey, const Statements& st) {
    bool answered = false;
    for (int i = 0; i < 3; ++i) {
        if (st.sql[i].empty() || (i == 2 && !answered))
            continue;
        try {
            ctx.web.Database().ExecuteSQL(st.sql[i]);
        } catch (const CDBException& e) {
            ctx.log.WriteLog(OperationLog::SqlError, e.m_strError, "");
            continue;
        }
        if (i > 0)
            continue;
        answered = true;
        if (!st.linked)
            continue;
        ConfirmWebLink(ctx, weblink::kAppointments, appoKey);
        if (!st.repeatWhat.empty())
            LogRepeatedConfirmation(ctx, OperationLog::Confirmed, st.repeatWhat, appoKey,
                                    st.patientKey);
    }
    return answered;
}

} // namespace

std::string BuildChangeRequestNotice(const platform::Clock& clock, const std::string& patientKey,
                                     const std::string& wishedDateDots,
                                     const std::string& wishedTimeColon) {
    const LocalDateTime now = LocalNow(clock);
    LocalDateTime until = now;
    until.hour = 12; // a day step that no clock change can skip or repeat
    until.day += 10;
    until = LocalDateTime::From(until.ToTimePoint());
    const std::string content =
        J("リクエスト頂きました、") + wishedDateDots + " " + wishedTimeColon +
        J("のご予約ですが、既に別の予約が入ってしまったため確定できませんでした"
          "。\n大変申し訳ございませんが、別の日時で再度予約を確定していただ"
          "くか、医院までご連絡をお願いいたします。");
    const std::string stamp = SqlDateTimeValue(now, clock);
    return FillStatement("INSERT INTO notifications(id,notification_date,patient_key,title,content,"
                         "valid_from_date,valid_to_date,created_at,updated_at) "
                         "VALUES(NULL,%s,%s,%s,%s,NULL,%s,%s,%s)",
                         {SqlDate(YyyyMmDd(now)), SqlText(patientKey),
                          SqlText(J("予約変更のお願い")), SqlText(content),
                          SqlDate(YyyyMmDd(until)), stamp, stamp});
}

void ProcessWebChangeRequests(SyncContext& ctx) {
    const Settings settings = ReadSettings(ctx.settings);

    // The rows are read first so that the statements sent for one row never meet an open
    // result set on the same connection.
    std::vector<Request> rows;
    try {
        CRecordset rs(&ctx.web.Database());
        if (!rs.Open(CRecordset::forwardOnly,
                     "SELECT * FROM appointments WHERE status_flag=2 ORDER BY updated_at",
                     CRecordset::readOnly))
            return;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            Request r;
            r.appoKey = GetFieldText(rs, "appo_key");
            r.date = ReadTimestamp(rs, "appo_date");
            r.start = ReadTimestamp(rs, "appo_start_time");
            r.end = ReadTimestamp(rs, "appo_end_time");
            LocalDateTime updated;
            if (GetFieldDateTime(rs, "updated_at", updated))
                r.updatedAt = updated;
            rows.push_back(std::move(r));
        }
        rs.Close();
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError, "");
        return;
    }

    RowHandler handler(ctx, settings);
    int waiting = 0;
    for (const Request& row : rows) {
        Statements st;
        handler.Handle(row, st);
        if (!Execute(ctx, row.appoKey, st))
            ++waiting;
    }
    ctx.state.changeRequestsWaiting = waiting;
}
