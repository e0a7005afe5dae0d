#pragma once
// How many first-visit consultation pages the settings hold.
#include <algorithm>

#include "agent/core/ClinicSettings.h"

// The booking settings dialog offers at most this many pages.
inline constexpr int kMaxFirstVisitPages = 9;

// "FRIST_APPOINTMENTS"/"PAGE_NUM": below 2 means one page; a larger value than the dialog can
// store is cut so a broken value cannot make one cycle walk endless pages.
inline int FirstVisitPageCount(const ClinicSettings& settings) {
    return std::clamp(settings.Get(settingkeys::kFirstPageNum), 1, kMaxFirstVisitPages);
}
