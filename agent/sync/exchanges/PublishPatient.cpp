#include "agent/sync/exchanges/PublishPatient.h"

#include "agent/core/CDBException.h"
#include "agent/core/SqlLiterals.h"
#include "agent/core/WebSession.h"
#include "agent/sync/log/OperationLog.h"
#include "agent/sync/support/FillStatement.h"
#include "agent/sync/support/PublishHelpers.h"
#include "outside/tools/CTools.h"
#include "platform/RecordFields.h"

using platform::RecText;

namespace {

constexpr const char* kSelect = "SELECT * FROM patient_infos WHERE patient_key=%s";
constexpr const char* kUpdate =
    "UPDATE patient_infos SET patient_id=%s,patient_name=%s,patient_name_kana=%s,"
    "patient_birthday=%s,patient_tel=%s,patient_comment=%s,patient_characteristic=%s "
    "WHERE patient_key=%s";
constexpr const char* kInsert =
    "INSERT INTO patient_infos(patient_key,patient_id,patient_name,patient_name_kana,"
    "patient_birthday,patient_tel,patient_comment,patient_characteristic) "
    "VALUES(%s,%s,%s,%s,%s,%s,%s,%s)";

} // namespace

std::string CutDisplayNumber(std::string displayNo, int showIdCut) {
    TrimTrailingBlanks(displayNo);
    if (showIdCut == 1) {
        while (displayNo.size() > 1) {
            const size_t last = LastCharacterStart(displayNo);
            if (displayNo.size() - last != 2)
                break;
            displayNo.erase(last);
            TrimTrailingBlanks(displayNo);
        }
    } else if (showIdCut == 2) {
        // Trail bytes never fall into '0'..'9', so a byte filter cannot pick half a character.
        std::string digits;
        for (char c : CTools::GetHalfKana(displayNo))
            if (c >= '0' && c <= '9')
                digits += c;
        displayNo = digits;
    }
    return displayNo;
}

BulkRows::Table PatientBulkTable() {
    return {"patient_infos",
            {"patient_key"},
            {"patient_id", "patient_name", "patient_name_kana", "patient_birthday", "patient_tel",
             "patient_comment", "patient_characteristic"}};
}

BulkRows::Row PatientBulkRow(const tagPatient& patient, const tagPatient2& second, int showIdCut) {
    BulkRows::Row row;
    row.keys = {SqlText(RecText(patient.key))};
    row.values = {SqlText(CutDisplayNumber(RecText(patient.displayNo), showIdCut)),
                  SqlText(RecText(patient.name)),
                  SqlText(RecText(patient.kana)),
                  SqlDate(RecText(patient.birthday)),
                  SqlText(RecText(patient.tel)),
                  SqlText(RecText(patient.comment)),
                  SqlText(RecText(second.characteristic))};
    return row;
}

int PublishPatient(WebSession& web, OperationLog& log, const tagPatient& patient,
                   const tagPatient2& second, int showIdCut) {
    const std::string rawKey = RecText(patient.key);
    try {
        const BulkRows::Row row = PatientBulkRow(patient, second, showIdCut);
        const std::string& key = row.keys[0];
        bool opened = false;
        const bool exists = WebRowExists(web.Database(), FillStatement(kSelect, {key}), &opened);
        if (!opened)
            return kPublishFailed;
        const auto& v = row.values;
        const std::string sql =
            exists ? FillStatement(kUpdate, {v[0], v[1], v[2], v[3], v[4], v[5], v[6], key})
                   : FillStatement(kInsert, {key, v[0], v[1], v[2], v[3], v[4], v[5], v[6]});
        web.Database().ExecuteSQL(sql);
        return exists ? kPublishUpdated : kPublishAdded;
    } catch (const CDBException& e) {
        log.WriteLog(OperationLog::SqlError, e.m_strError, rawKey);
        return e.IsLostConnection() ? kPublishLost : kPublishFailed;
    }
}
