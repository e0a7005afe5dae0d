#include "agent/sync/exchanges/ProcessSaleEntry.h"

#include <vector>

#include "agent/core/CDBException.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/support/FillStatement.h"
#include "agent/sync/support/PublishHelpers.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

using platform::J;
using platform::RecText;

namespace {

constexpr const char* kDelete = "DELETE FROM payment_histories WHERE payment_id=%s";
constexpr const char* kSelect = "SELECT * FROM payment_histories WHERE payment_id=%s";
constexpr const char* kUpdate =
    "UPDATE payment_histories SET patient_key=%s,payment_date=%s,payment_details=%s,amount=%ld,"
    "payment_type=%s WHERE payment_id=%s";
constexpr const char* kInsert =
    "INSERT INTO payment_histories(payment_id,patient_key,payment_date,payment_details,amount,"
    "payment_type) VALUES(%s,%s,%s,%s,%ld,%s)";

constexpr const char* kPaymentTypeKind = "2";

} // namespace

std::string CutPaymentDetails(const std::string& joined) {
    if (joined.size() <= kPaymentDetailsMax)
        return joined;
    return joined.substr(0, platform::Cp932CutLength(joined, kPaymentDetailsCut)) + "..";
}

bool PaymentDetails(CSaleItemDB& items, const std::string& saleNo, std::string& details,
                    std::string& error) {
    std::string joined;
    bool first = true;
    items.SetKey(0);
    items.SetKeyBuffer(saleNo.data(), static_cast<int>(saleNo.size()));
    int rc = items.GetGREQ();
    while (rc == PelmoStatus::kOk && RecText(items.m_rec.saleNo) == saleNo) {
        if (!first)
            joined += ',';
        joined += RecText(items.m_rec.name);
        first = false;
        rc = items.GetNEXT();
    }
    if (rc != PelmoStatus::kOk && rc != PelmoStatus::kEndOfFile) {
        error = items.GetLastDBErr();
        return false;
    }
    details = CutPaymentDetails(joined);
    return true;
}

bool ProcessSaleEntry(SyncContext& ctx, const std::string& path) {
    std::vector<std::string> lines;
    bool done = false;
    if (!ReadEntryForPublish(ctx.log, path, lines, done))
        return done;
    const std::string word = lines.empty() ? std::string() : lines[0];
    const bool remove = word == "DELETE";
    if (!remove && word != "INSERT" && word != "UPDATE")
        return true;
    const std::string saleNo = EntryValue(lines, 1, "SaleReg=");
    if (saleNo.empty())
        return true;
    const std::string id = SqlText(saleNo);

    std::string sql;
    std::string prefix;
    std::string reference;
    try {
        if (remove) {
            sql = FillStatement(kDelete, {id});
            prefix = J("入金情報削除 [reg=");
        } else {
            CSaleDB& sale = ctx.tables.sale;
            const int rc = sale.GetSaleData(saleNo);
            if (rc == PelmoStatus::kNotFound)
                return true; // gone locally: nothing to publish
            if (rc != PelmoStatus::kOk) {
                ctx.log.WriteLog(OperationLog::Error, sale.GetLastDBErr());
                return false;
            }
            const tagSale& rec = sale.m_rec;
            reference = RecText(rec.patientKey);
            prefix = J("入金情報更新 [reg=");

            bool opened = false;
            const bool exists =
                WebRowExists(ctx.web.Database(), FillStatement(kSelect, {id}), &opened);
            if (!opened)
                return false;

            std::string details;
            std::string error;
            if (!PaymentDetails(ctx.tables.saleItem, saleNo, details, error)) {
                ctx.log.WriteLog(OperationLog::Error, error, reference);
                return false;
            }
            std::string typeName;
            CCategoryDB& category = ctx.tables.category;
            if (category.GetCategoryData(kPaymentTypeKind, RecText(rec.paymentType)) ==
                PelmoStatus::kOk)
                typeName = RecText(category.m_rec.name);

            const std::string patientKey = SqlText(reference);
            const std::string date = SqlDate(RecText(rec.date));
            const std::string text = SqlText(details);
            const std::string amount =
                std::to_string(static_cast<long>(rec.amount) - static_cast<long>(rec.amount2));
            const std::string type = SqlText(typeName);
            sql = exists ? FillStatement(kUpdate, {patientKey, date, text, amount, type, id})
                         : FillStatement(kInsert, {id, patientKey, date, text, amount, type});
        }
        ctx.web.Database().ExecuteSQL(sql);
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError, reference);
        return false;
    }
    ctx.log.WriteLog(OperationLog::Info, prefix + saleNo + "]", reference);
    return true;
}
