// A machine's day, as Windows' usage history shows it: for each day (or
// week, for the oldest of a long log) the time on battery awake, asleep on
// battery, on mains, and not logged (from the last report of one run of
// the monitor to the first of the next: the monitor not running, or the
// machine off). Time before the log's first report and after its last is
// no part of any day, nor is a stretch between two reports of more than
// 400 days.
#ifndef TOLVANE_REPORT_FIGURES_DAY_USAGE_H
#define TOLVANE_REPORT_FIGURES_DAY_USAGE_H

#include <stdint.h>

#include <map>

#include "report/figures/period_book.h"
#include "report/figures/session.h"

struct DayUsage {
    int64_t firstDay = 0;  // day number (see DaysFromCivil)
    int days = 1;
    double battery = 0;  // seconds
    double asleep = 0;
    double mains = 0;
    double unlogged = 0;

    void Add(const DayUsage& other);
};

class UsageBook {
public:
    // A report: the stretch since the report before goes to its day or
    // days, as on battery, on mains or not logged.
    void OnReport(const Report& report);
    void OnRunEnd() { inRun_ = false; }
    // The session's sleeps move from the time on battery to asleep.
    void OnSession(const Session& session);
    // The end of the log: what is still held goes into the days.
    void Finish();
    const std::map<int64_t, DayUsage>& Days() const { return book_.Periods(); }

private:
    // Adds `sign` x the stretch from `from` to `to` (elapsed seconds) to
    // `field` of each day it falls on, by the clock that `from` shows.
    void Book(const LogTime& from, int64_t to, double DayUsage::*field, double sign = 1);
    void Flush();

    PeriodBook<DayUsage> book_;
    DayUsage today_;  // the day being booked, not yet in book_
    bool hasToday_ = false;
    int64_t todayFrom_ = 0;  // its span in elapsed seconds, as first booked
    int64_t todayTo_ = 0;
    // The day firstDay names, as the log shows it: the check of each report
    // against it needs no calendar (DayOf there costs 1.3 % of a fleet's read).
    CivilTime todayShown_;
    bool inRun_ = false;
    bool hasPrevious_ = false;
    Report previous_;
};

#endif
