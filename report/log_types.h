// What a log is read into: reports with their times, the sessions on
// battery made from them, and the interface through which each stage hands
// them to the next (parser, session tracker, outputs).
#ifndef TOLVANE_REPORT_LOG_TYPES_H
#define TOLVANE_REPORT_LOG_TYPES_H

#include <stdint.h>

#include <optional>
#include <vector>

#include "report/civil_time.h"

enum class PowerSource { Battery, Mains, Unknown };

struct LogTime {
    // As the log shows it: the journal's local time where the journal gave
    // one, else the report's own stamp.
    CivilTime shown;
    bool hasOffset = false;  // the journal gave its UTC offset
    int offsetMinutes = 0;
    // Seconds since the first report of the input, in the order of the log:
    // a stamp earlier than the one before (a clock set back, the autumn
    // change of daylight saving time) adds nothing, so no stretch of the
    // log ever lasts less than nothing.
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

// A stretch on battery: from its first report on battery to the next
// report on mains, or to its last report on battery where the run or the
// input ended first.
struct Session {
    LogTime start;
    LogTime end;
    int64_t seconds = 0;
    int fromPercent = -1;  // the first and last charge shown on battery
    int toPercent = -1;
    bool endedOnMains = false;  // "ac"; otherwise "cut"
    std::optional<double> percentPerHour;
    std::optional<double> fullRuntimeSeconds;    // only where the charge fell by 2 points or more
    std::optional<double> estimateErrorPercent;  // the median error of the remaining times shown
    std::vector<EstimatePoint> estimates;
};

class LogListener {
public:
    virtual ~LogListener() = default;
    virtual void OnReport(const Report& report) = 0;
    // The run so far is over: a restart banner, a message the monitor ended
    // with, a new process in the journal, the edge of the dates asked for,
    // or the end of the input.
    virtual void OnRunEnd() = 0;
    virtual void OnSession(const Session& session) = 0;
};

#endif
