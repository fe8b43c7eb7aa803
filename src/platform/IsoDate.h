// Dates as the ISO 8601 calendar date ("2026-12-10") that files, scripts and
// mail headers carry whatever the user's locale.
#pragma once

#include <cstdio>
#include <string>

#include "platform/Date.h"

namespace tko {

// `date` as YYYY-MM-DD; empty for kNoDate.
inline std::string isoDateText(Date date) {
    if (date == kNoDate) return {};
    const Ymd d = toYmd(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

}  // namespace tko
