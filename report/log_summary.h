// What the terminal summary and the HTML page show, gathered while the log
// streams past: the span, the time on battery and on mains, the latest
// sessions, the drain per day, the charge series and the remaining times
// shown against those borne out. Its size does not grow with the input.
#ifndef TOLVANE_REPORT_LOG_SUMMARY_H
#define TOLVANE_REPORT_LOG_SUMMARY_H

#include <stdint.h>

#include <deque>
#include <map>
#include <vector>

#include "report/chart_series.h"
#include "report/log_types.h"
#include "report/thinned_list.h"

struct DayDrain {
    double percent = 0;  // charge lost on battery, over the sessions begun that day
    double seconds = 0;  // and their time
};

class LogSummary : public LogListener {
public:
    // The sessions listed in the tables: the latest ones (a year of two a
    // day fits); the CSV lists all.
    static const size_t kKeptSessions = 1000;
    static const size_t kKeptEstimates = 2000;

    LogSummary() : estimates_(kKeptEstimates) {}
    void OnReport(const Report& report) override;
    void OnRunEnd() override;
    void OnSession(const Session& session) override;

    int64_t Reports() const { return reports_; }
    int64_t Runs() const { return runs_; }
    int64_t SessionCount() const { return sessionCount_; }
    const LogTime& First() const { return first_; }
    const LogTime& Last() const { return last_; }
    int64_t BatterySeconds() const { return batterySeconds_; }
    int64_t MainsSeconds() const { return mainsSeconds_; }
    const std::deque<Session>& Sessions() const { return sessions_; }
    const std::map<int64_t, DayDrain>& DrainByDay() const { return drainByDay_; }
    const ChargeSeries& Charge() const { return charge_; }
    const std::vector<EstimatePoint>& Estimates() const { return estimates_.Items(); }

private:
    int64_t reports_ = 0;
    int64_t runs_ = 0;
    int64_t sessionCount_ = 0;
    LogTime first_;
    LogTime last_;
    int64_t batterySeconds_ = 0;
    int64_t mainsSeconds_ = 0;
    bool inRun_ = false;
    Report previous_;
    std::deque<Session> sessions_;
    std::map<int64_t, DayDrain> drainByDay_;
    ChargeSeries charge_;
    ThinnedList<EstimatePoint> estimates_;
};

// The median drain and full runtime of the sessions of each of the last
// days (or, when the listed sessions cover more than four weeks, of each
// of the last weeks, Monday to Sunday), oldest first. Only sessions whose
// charge fell by 2 points or more take part: a minute on battery says
// nothing about the drain.
struct TrendRow {
    int64_t firstDay = 0;  // the day, or the Monday of the week
    int sessions = 0;
    double percentPerHour = 0;
    double fullRuntimeSeconds = 0;
};
struct Trend {
    bool byWeek = false;
    std::vector<TrendRow> rows;
};
Trend MakeTrend(const std::deque<Session>& sessions, size_t maxRows);

#endif
