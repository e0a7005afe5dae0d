#include <cstdio>

#include "agent/core/ClinicSettings.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/exchanges/SettingsPublish.h"
#include "agent/sync/support/BookingWindow.h"
#include "agent/sync/support/PublishStatements.h"
#include "platform/Cp932.h"

using platform::J;
namespace keys = settingkeys;

void PublishHospitalInfo(SyncContext& ctx) {
    const LocalDateTime now = LocalNow(ctx.clock);

    const std::string code = ctx.clinicCode;
    if (code.empty()) {
        // The web row is keyed by the code: without one there is no row to write (a NULL code
        // is refused by the web database every cycle).
        ctx.log.WriteLog(OperationLog::Error,
                         J("クリニックコードが設定されていないため、施設情報を送信しません"));
        return;
    }
    const std::string name = ctx.settings.ClinicName();
    const std::string phone = ctx.settings.ClinicTel();
    const std::string idTitle = ctx.settings.Get(keys::kHospitalId);
    const std::string url = ctx.settings.Get(keys::kLinkUrl);
    const int hideAppoType = ctx.settings.Get(keys::kHideAppoType);
    const int hideEndTime = ctx.settings.Get(keys::kHideEndTime);
    const int timeUnit = ctx.settings.Shared(keys::kTimeSpan);
    const std::string method = ctx.settings.Get(keys::kUnitType) != 0 ? "doctor" : "unit";

    const std::string limitTime =
        BookingTimeLimit(ctx.settings.Get(keys::kLimitToday), ctx.settings.Get(keys::kLimitTimeH),
                         ctx.settings.Get(keys::kLimitTimeM));
    const int limitType = ctx.settings.Get(keys::kLimitType);
    const int manualYear = ctx.settings.Get(keys::kLimitManualY);
    const int manualMonth = ctx.settings.Get(keys::kLimitManualM);
    const BookingWindow window = BookingWindow::Compute(
        limitType, ctx.settings.Get(keys::kLimitAuto), manualYear, manualMonth, now);
    const std::string limitDate = window.SqlLimitDate();
    const std::string hiddenDetail = ctx.settings.Get(keys::kShowTreatment) == 0 ? "1" : "";

    const std::string signature = code + "," + name + "," + phone + "," + idTitle + "," + method +
                                  "," + limitDate + "," + limitTime + "," + hiddenDetail + "," +
                                  std::to_string(timeUnit) + "," + url + "," +
                                  std::to_string(hideAppoType) + "," + std::to_string(hideEndTime);
    std::string& stored = ctx.state.detectors[settingsdetectors::kHospitalSignature];
    if (signature == stored)
        return;

    ctx.log.WriteLog(OperationLog::Info, J("施設情報セット"));
    const int exists =
        PublishRowExists(ctx, "SELECT * FROM hospital_infos WHERE code=" + SqlText(code));
    if (exists < 0)
        return; // looked up again next cycle

    const std::string limitTimeSql = limitTime.empty() ? "NULL" : SqlTime(limitTime);
    std::string sql;
    if (exists > 0) {
        sql = "UPDATE hospital_infos SET name=" + SqlText(name) + ",phone=" + SqlText(phone) +
              ",patient_id_title=" + SqlText(idTitle) + ",appo_method=" + SqlText(method) +
              ",booking_limit_date=" + limitDate + ",booking_limit_time=" + limitTimeSql +
              ",hidden_treatment_detail=" + SqlText(hiddenDetail) +
              ",time_unit=" + std::to_string(timeUnit) + ",url=" + SqlText(url) +
              ",hidden_appotype=" + std::to_string(hideAppoType) +
              ",hidden_endtime=" + std::to_string(hideEndTime) + " WHERE code=" + SqlText(code);
    } else {
        sql = "INSERT INTO hospital_infos(code,name,phone,patient_id_title,appo_method,"
              "booking_limit_date,booking_limit_time,hidden_treatment_detail,time_unit,url,"
              "hidden_appotype,hidden_endtime) VALUES(" +
              SqlText(code) + "," + SqlText(name) + "," + SqlText(phone) + "," + SqlText(idTitle) +
              "," + SqlText(method) + "," + limitDate + "," + limitTimeSql + "," +
              SqlText(hiddenDetail) + "," + std::to_string(timeUnit) + "," + SqlText(url) + "," +
              std::to_string(hideAppoType) + "," + std::to_string(hideEndTime) + ")";
    }
    if (ExecutePublishStatement(ctx, sql)) {
        if (!window.Valid()) {
            // A manual window naming no real month leaves the web without a window end.
            char buf[64];
            std::snprintf(buf, sizeof buf, " [%d.%d]", window.year, window.month);
            ctx.log.WriteLog(OperationLog::Error,
                             J("予約表の開放期限の年月が正しくありません") + buf);
        } else if (!window.LaterThanMonthOf(now)) {
            ctx.log.WriteLog(OperationLog::Check,
                             window.DotDate() + J("以降の予約表が開放されておりません"));
        } else {
            ctx.log.WriteLog(OperationLog::Info, window.DotDate() + J("までの予約表を開放済み"));
        }
    }
    stored = signature;
}
