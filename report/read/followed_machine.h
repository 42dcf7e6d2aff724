// One machine as the log parser follows it: its monitor processes, the
// hour a change of daylight saving time repeats, its clock (the seconds
// elapsed since its first report), and --since and --until in front of
// its log.
#ifndef TOLVANE_REPORT_READ_FOLLOWED_MACHINE_H
#define TOLVANE_REPORT_READ_FOLLOWED_MACHINE_H

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "report/read/log_types.h"
#include "report/read/monitor_processes.h"
#include "report/read/repeated_hour.h"

// The days a report may fall on (day numbers, see DaysFromCivil), both
// included; by the date the log shows.
struct DateRange {
    int64_t firstDay = INT64_MIN;
    int64_t lastDay = INT64_MAX;
};

// The first and last day of the reports read (day numbers), in the dates
// asked for or not; first > last while there were none.
struct DaysSeen {
    int64_t first = INT64_MAX;
    int64_t last = INT64_MIN;
};

class FollowedMachine : public ReportSink {
public:
    // `range`: the dates asked for; the days of the reports go to `daysSeen`.
    FollowedMachine(const DateRange& range, DaysSeen* daysSeen, std::string host, MachineSink* log)
        : range(range), daysSeen(daysSeen), host(std::move(host)), log(log), settled(this),
          repeated(&settled), processes(this) {}

    // The processes' reports: those of the repeated hour wait in `repeated`,
    // with all that follows them, until their times are settled.
    void OnReport(const Report& report) override {
        repeated.Passes(report) ? Take(report) : repeated.OnReport(report);
    }
    void OnRunEnd() override { repeated.Holding() ? repeated.OnRunEnd() : EndRun(); }

    void Take(const Report& report);
    void EndRun() {
        if (runOpen) {
            runOpen = false;
            log->OnRunEnd();
        }
    }

    struct Settled : ReportSink {  // what `repeated` has settled
        explicit Settled(FollowedMachine* machine) : machine(machine) {}
        void OnReport(const Report& report) override { machine->Take(report); }
        void OnRunEnd() override { machine->EndRun(); }
        FollowedMachine* machine;
    };

    const DateRange& range;
    DaysSeen* daysSeen;
    std::string host;
    MachineSink* log;
    Settled settled;
    RepeatedHour repeated;
    MonitorProcesses processes;
    bool runOpen = false;
    bool hasClock = false;
    int64_t lastInstant = 0;  // of the last report handed on
    int64_t elapsed = 0;
    bool seen = false;  // a status line was read
    int64_t lastSeen = 0;  // its instant
    CivilTime lastShown;   // and its time as the log shows it
    size_t file = 0;
};

#endif
