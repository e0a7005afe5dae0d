#include "agent/sync/health/HealthSnapshot.h"

#include <cstdio>

#include "agent/core/LocalDateTime.h"
#include "platform/Cp932.h"

namespace {

std::chrono::seconds NonNegative(std::chrono::system_clock::duration d) {
    const auto s = std::chrono::duration_cast<std::chrono::seconds>(d);
    return s.count() < 0 ? std::chrono::seconds(0) : s;
}

} // namespace

std::chrono::seconds HealthSnapshot::UnreachableFor() const {
    return unreachableSince ? NonNegative(at - *unreachableSince) : std::chrono::seconds(0);
}

std::chrono::seconds HealthSnapshot::OldestEntryAge() const {
    return oldestEntry ? NonNegative(at - *oldestEntry) : std::chrono::seconds(0);
}

std::string HealthSnapshot::Label(HealthState state) {
    switch (state) {
    case HealthState::Warning:
        return platform::J("注意");
    case HealthState::Error:
        return platform::J("異常");
    default:
        return platform::J("正常");
    }
}

std::string HealthSnapshot::Line() const {
    std::string sync = platform::J("なし");
    if (lastGoodSync) {
        const LocalDateTime t = LocalDateTime::From(*lastGoodSync);
        const LocalDateTime today = LocalDateTime::From(at);
        char text[32];
        if (t.year == today.year && t.month == today.month && t.day == today.day)
            std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
        else
            std::snprintf(text, sizeof text, "%02d/%02d %02d:%02d:%02d", t.month, t.day, t.hour,
                          t.minute, t.second);
        sync = text;
    }
    std::string line = Label(state) + platform::J(" 最終同期 ") + sync + platform::J(" 未送信 ") +
                       std::to_string(entriesWaiting) + platform::J("件");
    if (changeRequestsWaiting && *changeRequestsWaiting > 0)
        line +=
            platform::J(" 変更依頼 ") + std::to_string(*changeRequestsWaiting) + platform::J("件");
    return line;
}

std::string HealthSnapshot::Text() const {
    if (state == HealthState::Normal || reason.empty())
        return Line();
    return Line() + "\n" + reason;
}
