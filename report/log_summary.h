// What the terminal summary and the HTML page show of one machine,
// gathered while the log streams past: the span, the time on battery and
// on mains, the latest sessions, the drain per day, the charge series and
// the remaining times shown against those borne out. Its size does not
// grow with the input.
#ifndef TOLVANE_REPORT_LOG_SUMMARY_H
#define TOLVANE_REPORT_LOG_SUMMARY_H

#include <stdint.h>

#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "report/chart_series.h"
#include "report/log_types.h"
#include "report/thinned_list.h"

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

class LogSummary {
public:
    // The sessions listed in the tables: the latest ones (a year of two a
    // day fits); the CSV lists all.
    static constexpr size_t kKeptSessions = 1000;
    static constexpr size_t kKeptEstimates = 2000;
    // Days are folded into weeks, and weeks into longer stretches, from the
    // oldest on, so that no more are kept than this.
    static constexpr size_t kMaxPeriods = 800;

    LogSummary() : estimates_(kKeptEstimates) {}
    void OnReport(const Report& report);
    void OnRunEnd();
    void OnSession(const Session& session);

    int64_t Reports() const { return reports_; }
    int64_t Runs() const { return runs_; }
    int64_t SessionCount() const { return sessionCount_; }
    const LogTime& First() const { return first_; }
    const LogTime& Last() const { return last_; }
    int64_t BatterySeconds() const { return batterySeconds_; }  // awake, on battery
    int64_t AsleepSeconds() const { return asleepSeconds_; }    // asleep, on battery
    int64_t MainsSeconds() const { return mainsSeconds_; }
    const std::deque<Session>& Sessions() const { return sessions_; }
    const std::map<int64_t, DrainPeriod>& DrainPeriods() const { return drain_; }
    const ChargeSeries& Charge() const { return charge_; }
    const std::vector<EstimatePoint>& Estimates() const { return estimates_.Items(); }
    // The drain of the sessions of a machine's first and of its last 30
    // days of sessions (by their start), and the median estimate error of
    // the sessions listed.
    std::optional<Drain> FirstDays() const;
    std::optional<Drain> LastDays() const;
    std::optional<double> MedianEstimateError() const;
    // Days from the start of the first session that drained 2 points to
    // the start of the last session.
    double SessionSpanDays() const;

private:
    void BookDrain(const Session& session);
    void Fold();

    int64_t reports_ = 0;
    int64_t runs_ = 0;
    int64_t sessionCount_ = 0;
    LogTime first_;
    LogTime last_;
    int64_t batterySeconds_ = 0;
    int64_t asleepSeconds_ = 0;
    int64_t mainsSeconds_ = 0;
    bool inRun_ = false;
    Report previous_;
    std::deque<Session> sessions_;
    std::map<int64_t, DrainPeriod> drain_;  // by first day
    ChargeSeries charge_;
    ThinnedList<EstimatePoint> estimates_;
    int64_t firstSessionAt_ = INT64_MIN;
    std::vector<double> firstDrains_;  // of the sessions of the first 30 days
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
