// What a log is read into: reports with their times, and the sessions on
// battery made from them.
#ifndef TOLVANE_REPORT_LOG_TYPES_H
#define TOLVANE_REPORT_LOG_TYPES_H

#include <stdint.h>

#include <optional>
#include <vector>

#include "report/civil_time.h"

enum class PowerSource { Battery, Mains, Unknown };

struct LogTime {
    // As the log shows it: the journal's local time where the journal gave
    // one with its offset, else the report's own stamp.
    CivilTime shown;
    bool hasOffset = false;  // the journal gave its UTC offset
    int offsetMinutes = 0;
    // Seconds since 1970, UTC: from the journal's offset or seconds, else
    // the stamp read by the zone rules of the reader's zone.
    int64_t instant = 0;
    // Seconds since the machine's first report, in the order of the log: a
    // time earlier than the one before (a clock set back) adds nothing, so
    // no stretch of the log ever lasts less than nothing.
    int64_t elapsed = 0;
};

struct Report {
    LogTime time;
    PowerSource source = PowerSource::Unknown;
    int charge = -1;         // percent; -1 where the report shows none
    int64_t remaining = -1;  // seconds shown; -1 where the report has none
    int64_t fullLife = -1;
};

// A remaining time a report showed, beside the one the session bore out.
struct EstimatePoint {
    double realisedSeconds;
    double shownSeconds;
};

// A stretch of a session in which the machine slept (elapsed seconds).
struct SleepGap {
    int64_t from;
    int64_t to;
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
