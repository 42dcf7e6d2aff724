#include "report/read/followed_machine.h"

#include <algorithm>

namespace {

// No step between two reports counts for more than this, and no machine's
// log for more than kMaxElapsed, however its years are made up.
const int64_t kMaxStep = int64_t{1} << 32;
const int64_t kMaxElapsed = int64_t{1} << 60;

}  // namespace

void FollowedMachine::Take(const Report& report) {
    Report timed = report;
    if (hasClock && report.time.instant > lastInstant) {
        elapsed = std::min(kMaxElapsed,
                           elapsed + std::min(kMaxStep, report.time.instant - lastInstant));
    }
    hasClock = true;
    lastInstant = report.time.instant;
    timed.time.elapsed = elapsed;
    // The days matter only where dates are asked for.
    if (range.firstDay != INT64_MIN || range.lastDay != INT64_MAX) {
        int64_t day = DayOf(report.time.shown);
        daysSeen->first = std::min(daysSeen->first, day);
        daysSeen->last = std::max(daysSeen->last, day);
        if (day < range.firstDay || day > range.lastDay) {
            EndRun();  // outside the dates asked for: what came before ends there
            return;
        }
    }
    runOpen = true;
    log->OnReport(timed);
}
