// What the terminal summary and the HTML page show of one machine,
// gathered while the log streams past: the span, the time on battery and
// on mains, the latest sessions, the drain per day, the charge series and
// the remaining times shown against those borne out. Its size does not
// grow with the input.
#ifndef TOLVANE_REPORT_FIGURES_LOG_SUMMARY_H
#define TOLVANE_REPORT_FIGURES_LOG_SUMMARY_H

#include <stdint.h>

#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "report/figures/chart_series.h"
#include "report/figures/drain_periods.h"
#include "report/figures/session.h"
#include "report/figures/thinned_list.h"

class LogSummary {
public:
    // The sessions listed in the tables: the latest ones (a year of two a
    // day fits); the CSV lists all.
    static constexpr size_t kKeptSessions = 1000;
    static constexpr size_t kKeptEstimates = 2000;
    static constexpr size_t kMaxPeriods = DrainBook::kMaxPeriods;

    // `charts`: keep the charge series and the remaining times for the
    // page's charts; without them a machine costs a few kilobytes.
    explicit LogSummary(bool charts = true) : charts_(charts), estimates_(kKeptEstimates) {}
    void OnReport(const Report& report);
    void OnRunEnd();
    void OnSession(const Session& session);
    void OnCharge(const Charge& charge) { drain_.Book(charge); }

    int64_t Reports() const { return reports_; }
    int64_t Runs() const { return runs_; }
    int64_t SessionCount() const { return sessionCount_; }
    const LogTime& First() const { return first_; }
    const LogTime& Last() const { return last_; }
    int64_t BatterySeconds() const { return batterySeconds_; }  // awake, on battery
    int64_t AsleepSeconds() const { return asleepSeconds_; }    // asleep, on battery
    int64_t MainsSeconds() const { return mainsSeconds_; }
    const std::deque<Session>& Sessions() const { return sessions_; }
    const std::map<int64_t, DrainPeriod>& DrainPeriods() const { return drain_.Periods(); }
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
    bool charts_;
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
    DrainBook drain_;
    ChargeSeries charge_;
    ThinnedList<EstimatePoint> estimates_;
    int64_t firstSessionAt_ = INT64_MIN;
    std::vector<double> firstDrains_;  // of the sessions of the first 30 days
};

#endif
