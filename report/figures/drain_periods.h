// The drain of the sessions per day or week: the figure the days, the
// trend and the drain chart all show, kept in a bounded number of periods.
#ifndef TOLVANE_REPORT_FIGURES_DRAIN_PERIODS_H
#define TOLVANE_REPORT_FIGURES_DRAIN_PERIODS_H

#include <stddef.h>
#include <stdint.h>

#include <map>
#include <optional>
#include <vector>

#include "report/figures/session.h"

// The drain of the sessions begun in a stretch of days: the charge they
// lost while awake and the time awake they lost it in. Only sessions that
// drained 2 points or more count: a minute on battery says nothing of the
// drain. The days, the trend and the charts all use this one figure.
struct DrainPeriod {
    int64_t firstDay = 0;  // day number (see DaysFromCivil)
    int days = 1;          // 1, 7, or a multiple of 7 for the oldest stretches of a long log
    int sessions = 0;
    double percent = 0;
    double seconds = 0;
};

// The drain over a set of sessions: their charge lost over their time.
struct Drain {
    int sessions = 0;
    double percentPerHour = 0;
    double fullRuntimeSeconds = 0;  // 100 % at that drain
};

// `percent` lost in `seconds`.
Drain DrainOf(int sessions, double percent, double seconds);

// Each session that drained 2 points or more, booked on the day it began.
class DrainBook {
public:
    // Days are folded into weeks, and weeks into longer stretches, from the
    // oldest on, so that no more are kept than this.
    static constexpr size_t kMaxPeriods = 800;

    void Book(const Session& session);
    const std::map<int64_t, DrainPeriod>& Periods() const { return periods_; }

private:
    void Fold();

    std::map<int64_t, DrainPeriod> periods_;  // by first day
};

// The median drain of sessions that fell by 2 points or more, and the full
// runtime that drain gives; empty where there are none.
std::optional<Drain> MedianDrain(const std::vector<const Session*>& sessions);

// The drain of each of the last days (or, when the log's sessions cover
// four weeks or more, or `alwaysByWeek`, of each of the last weeks, Monday
// to Sunday), oldest
// first, from the same periods as the drain chart.
struct TrendRow {
    int64_t firstDay = 0;  // the day, or the Monday of the week
    Drain drain;
};
struct Trend {
    bool byWeek = false;
    std::vector<TrendRow> rows;
};
Trend MakeTrend(const std::map<int64_t, DrainPeriod>& periods, size_t maxRows,
                bool alwaysByWeek = false);

#endif
