// The drain of the sessions per day or week: the figure the days, the
// trend and the drain chart all show, kept in a bounded number of periods.
#ifndef TOLVANE_REPORT_FIGURES_DRAIN_PERIODS_H
#define TOLVANE_REPORT_FIGURES_DRAIN_PERIODS_H

#include <stddef.h>
#include <stdint.h>

#include <map>
#include <optional>
#include <vector>

#include "report/figures/charges.h"
#include "report/figures/period_book.h"
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
    // The charge rates of the charges that ended in it, at most kRates of
    // them, spread over all (for their median).
    std::vector<float> chargeRates;
    static constexpr size_t kRates = 64;

    void Add(const DrainPeriod& other);
};

// The drain over a set of sessions: their charge lost over their time.
struct Drain {
    int sessions = 0;
    double percentPerHour = 0;
    double fullRuntimeSeconds = 0;  // 100 % at that drain
};

// `percent` lost in `seconds`.
Drain DrainOf(int sessions, double percent, double seconds);

// Each session that drained 2 points or more, booked on the day it began,
// and each charge with a rate, on the day it ended.
class DrainBook {
public:
    static constexpr size_t kMaxPeriods = PeriodBook<DrainPeriod>::kMaxPeriods;

    void Book(const Session& session);
    void Book(const Charge& charge);
    const std::map<int64_t, DrainPeriod>& Periods() const { return book_.Periods(); }

private:
    PeriodBook<DrainPeriod> book_;
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
    std::optional<Drain> drain;
    std::optional<double> chargeRate;  // the median of its charges' rates
};
struct Trend {
    bool byWeek = false;
    std::vector<TrendRow> rows;
};
Trend MakeTrend(const std::map<int64_t, DrainPeriod>& periods, size_t maxRows,
                bool alwaysByWeek = false);

#endif
