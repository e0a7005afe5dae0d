#include "agent/sync/support/WebLinks.h"

#include <chrono>

#include "outside/pelmodb/PelmoStatus.h"
#include "outside/pelmodb/PelmoTransaction.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

using platform::J;
using platform::RecText;
using platform::SetRecText;

namespace {

std::string Stamp(std::chrono::system_clock::time_point tp) {
    return LocalDateTime::From(tp).Digits();
}

} // namespace

int FindOutstandingLink(SyncContext& ctx, const std::string& table, const std::string& id,
                        tagWebLink& link) {
    CWebLinkDB& links = ctx.tables.webLink;
    const int rc = links.GetWebLink(table, id);
    if (rc != PelmoStatus::kOk)
        return rc;
    if (links.m_rec.confirmedAt[0] != '\0')
        return PelmoStatus::kNotFound;
    link = links.m_rec;
    return PelmoStatus::kOk;
}

int FindLinkedReservation(SyncContext& ctx, const std::string& table, const std::string& id,
                          tagWebLink& link, std::string& err) {
    int rc = FindOutstandingLink(ctx, table, id, link);
    if (rc != PelmoStatus::kOk) {
        if (IsReadError(rc))
            err = ctx.tables.webLink.GetLastDBErr();
        return rc;
    }
    CReservationDB& book = ctx.tables.reservation;
    rc = book.GetReservationData(RecText(link.reservationKey));
    if (IsReadError(rc))
        err = book.GetLastDBErr();
    return rc;
}

bool IsReadError(int status) {
    return status != PelmoStatus::kOk && status != PelmoStatus::kNotFound;
}

tagWebLink MakeWebLink(const platform::Clock& clock, const std::string& table,
                       const std::string& id, char action, const std::string& reservationKey,
                       const std::string& request, const std::string& standbyKey) {
    tagWebLink link{};
    SetRecText(link.webTable, table);
    SetRecText(link.webId, id);
    link.action = action;
    SetRecText(link.reservationKey, reservationKey);
    SetRecText(link.standbyKey, standbyKey);
    SetRecText(link.request, request);
    SetRecText(link.madeAt, Stamp(clock.Now()));
    return link;
}

int WriteLinked(SyncContext& ctx, const std::vector<CBaseDBCall*>& tables, const tagWebLink& link,
                const std::function<int()>& write, std::string& err) {
    CWebLinkDB& links = ctx.tables.webLink;
    std::vector<CBaseDBCall*> all = tables;
    all.push_back(&links);
    PelmoTransaction tx(all);
    if (tx.Status() != PelmoStatus::kOk) {
        err = tx.GetLastDBErr();
        return tx.Status();
    }
    int rc = write();
    if (rc != PelmoStatus::kOk) {
        err = tables.front()->GetLastDBErr();
        return rc;
    }
    links.m_rec = link;
    rc = links.Put();
    if (rc != PelmoStatus::kOk) {
        err = links.GetLastDBErr();
        return rc;
    }
    rc = tx.Commit();
    if (rc != PelmoStatus::kOk)
        err = tx.GetLastDBErr();
    return rc;
}

void ConfirmWebLink(SyncContext& ctx, const std::string& table, const std::string& id) {
    using std::chrono::hours;
    CWebLinkDB& links = ctx.tables.webLink;
    const auto now = ctx.clock.Now();
    if (links.Confirm(table, id, Stamp(now)) != PelmoStatus::kOk)
        return;
    links.Prune(Stamp(now - hours(24 * weblink::kConfirmedDays)),
                Stamp(now - hours(24 * weblink::kKeptDays)));
}

void LogRepeatedConfirmation(SyncContext& ctx, int category, const std::string& what,
                             const std::string& reservationKey, const std::string& reference) {
    ctx.log.WriteLog(category,
                     what + J("は登録済みのため、Webへの確定のみ行いました [予約番号 ") +
                         reservationKey + "]",
                     reference);
}
