// The hour an autumn change of daylight saving time repeats, in a log whose
// stamps carry no offset: a stamp in it has two readings, an hour apart.
// The log's order tells them apart where the clock is seen going back; where
// it is not (the first report of the hour came after a quiet night on mains,
// say), the reports of that hour are held until the next report whose time
// is certain, and the hour is placed where the log is quietest: in the
// longest stretch between two reports, as the clock shows it, that keeps
// every time in order. The monitor reports every change, so an hour with no
// report is most likely there. What is held goes on in its order, with its
// times settled.
#ifndef TOLVANE_REPORT_READ_REPEATED_HOUR_H
#define TOLVANE_REPORT_READ_REPEATED_HOUR_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "report/read/log_types.h"

class RepeatedHour : public ReportSink {
public:
    // At most this many reports and ends of runs held at once; beyond it,
    // the times are settled on what is held.
    static const size_t kMaxHeld = 2048;

    explicit RepeatedHour(ReportSink* next) : next_(next) {}
    // Whether a report goes straight on, past this (true: it reads once and
    // none are held before it; noted here, and it costs no call), or must
    // come through OnReport.
    bool Passes(const Report& report) {
        if (!held_.empty() || report.time.later != report.time.earlier) {
            return false;
        }
        passed_ = true;
        lastPassed_ = report.time.instant;
        return true;
    }
    bool Holding() const { return !held_.empty(); }
    void OnReport(const Report& report) override;
    void OnRunEnd() override;
    // The end of the input: what is held goes on.
    void Finish();

private:
    struct Held {
        Report report;
        bool runEnd = false;
    };

    // Settles the times held, `next` the instant of the report that follows
    // them (null where none does yet), and hands them on.
    void Settle(const int64_t* next);
    void Pass(const Report& report);

    ReportSink* next_;
    std::vector<Held> held_;
    bool passed_ = false;
    int64_t lastPassed_ = 0;  // the instant of the last report handed on
};

#endif
