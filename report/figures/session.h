// A session on battery as the figures make it: its span, its sleeps, its
// drain and how honest its remaining times were; and where sessions go.
#ifndef TOLVANE_REPORT_FIGURES_SESSION_H
#define TOLVANE_REPORT_FIGURES_SESSION_H

#include <stdint.h>

#include <optional>
#include <string>
#include <vector>

#include "report/read/log_types.h"

// A remaining time a report showed, beside the one the session bore out.
struct EstimatePoint {
    double realisedSeconds;
    double shownSeconds;
};

// A stretch of a session in which the machine slept: from the last report
// before it to the first one after it (the wake, or the plug).
struct SleepGap {
    int64_t from;  // elapsed seconds
    int64_t to;
    int fell;  // points lost asleep, where the charge is known on both sides
    LogTime start;
    LogTime end;
    int fromPercent = -1;  // the charge before and after; -1 where unknown
    int toPercent = -1;
};

// A stretch on battery: from its first report on battery to the next
// report on mains, or to its last report on battery where the run or the
// input ended first.
struct Session {
    LogTime start;
    LogTime end;
    int64_t seconds = 0;        // from start to end, asleep or not
    int64_t asleepSeconds = 0;  // of which asleep
    int fromPercent = -1;       // the first and last charge shown on battery
    int toPercent = -1;
    bool endedOnMains = false;  // "ac"; otherwise "cut"
    // The charge lost while awake and the time awake it was lost in, over
    // the span where the charge is known.
    double awakeFall = 0;
    double awakeSeconds = 0;
    std::optional<double> percentPerHour;
    std::optional<double> fullRuntimeSeconds;    // only where the charge fell by 2 points or more
    std::optional<double> estimateErrorPercent;  // the median error of the remaining times shown
    std::vector<EstimatePoint> estimates;
    std::vector<SleepGap> sleeps;
};

// Where a session goes when it ends.
class SessionSink {
public:
    virtual ~SessionSink() = default;
    virtual void OnSession(const Session& session) = 0;
};

#endif
