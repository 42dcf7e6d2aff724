// What a log is read into: each machine's reports with their times, and
// the sinks the reader hands them to.
#ifndef TOLVANE_REPORT_READ_LOG_TYPES_H
#define TOLVANE_REPORT_READ_LOG_TYPES_H

#include <stdint.h>

#include <string>

#include "report/batteries/battery_info.h"
#include "report/read/civil_time.h"

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
    // A stamp the zone shows twice (the hour an autumn change repeats): its
    // two readings, earlier first, `instant` one of them; both 0 otherwise.
    int64_t earlier = 0, later = 0;
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
    // Its lines end in CR LF, as those of the Windows program do.
    bool fromWindows = false;
};

// Where a machine's reports go, in order, and the ends of its runs.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void OnReport(const Report& report) = 0;
    virtual void OnRunEnd() = 0;
};

// Where the reader hands one machine's log: its reports and runs, and the
// readings of its batteries' health.
class MachineSink : public ReportSink {
public:
    // A health line: the reading at `instant` (UTC seconds), shown as `shown`.
    virtual void OnHealth(int64_t instant, const CivilTime& shown, const BatteryInfo& battery) = 0;
    // The log has been read to its end.
    virtual void OnLogEnd() {}
};

// The sink of each machine the reader meets, made the first time it meets it.
class MachineSinks {
public:
    virtual ~MachineSinks() = default;
    // `host`: the machine's name in the journal; empty for a log from tee.
    virtual MachineSink* ForMachine(const std::string& host) = 0;
};

#endif
