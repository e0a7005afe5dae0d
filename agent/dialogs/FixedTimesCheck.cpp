#include "agent/dialogs/FixedTimesCheck.h"

#include "agent/sync/support/FixedTimes.h"

int FixedTimesCheck::Check(const std::string& text, const ClinicHours::Day& day, int minutes,
                           int slotStep) {
    const std::vector<int> times = FixedTimes::ReadSorted(text);
    int result = 0;
    if (!times.empty() && day.closed) {
        result = kOutsideHours;
    } else {
        for (int t : times) {
            const int end = t + minutes;
            const bool morning = t >= day.AmFrom() && end <= day.AmTo();
            const bool afternoon = t >= day.PmFrom() && end <= day.PmTo();
            if (!morning && !afternoon) {
                result = kOutsideHours;
                break;
            }
        }
    }
    for (std::size_t i = 0; i < times.size(); ++i) {
        const bool offGrid = slotStep > 0 && (times[i] - times.front()) % slotStep != 0;
        const bool overlaps = i > 0 && times[i] < times[i - 1] + minutes;
        if (offGrid || overlaps) {
            result += kOffGridOrOverlap;
            break;
        }
    }
    return result;
}
