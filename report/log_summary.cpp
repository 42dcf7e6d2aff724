#include "report/log_summary.h"

#include "report/sessions.h"

void LogSummary::OnReport(const Report& report) {
    if (reports_ == 0) {
        first_ = report.time;
        charge_.Start(report.time.elapsed);
    }
    reports_++;
    last_ = report.time;
    bool startsRun = !inRun_;
    if (startsRun) {
        runs_++;
    } else if (previous_.source == PowerSource::Mains) {
        // From a report on mains to the next one, it was on mains.
        mainsSeconds_ += report.time.elapsed - previous_.time.elapsed;
        charge_.AddMains(previous_.time.elapsed, report.time.elapsed);
    } else if (previous_.source == PowerSource::Battery) {
        charge_.AddBattery(previous_.time.elapsed, report.time.elapsed);
    }
    if (report.charge >= 0) {
        charge_.AddCharge(report.time.elapsed, report.charge, startsRun);
    }
    inRun_ = true;
    previous_ = report;
}

void LogSummary::OnRunEnd() {
    inRun_ = false;
}

void LogSummary::OnSession(const Session& session) {
    sessionCount_++;
    batterySeconds_ += session.seconds;
    charge_.AddSessionStart(session.start.elapsed);
    for (const EstimatePoint& point : session.estimates) {
        estimates_.Add(point);
    }
    if (session.fromPercent >= 0 && session.seconds > 0) {
        DayDrain& day = drainByDay_[DayOf(session.start.shown)];
        day.percent += session.fromPercent - session.toPercent;
        day.seconds += session.seconds;
    }
    sessions_.push_back(session);
    sessions_.back().estimates.clear();
    sessions_.back().estimates.shrink_to_fit();
    if (sessions_.size() > kKeptSessions) {
        sessions_.pop_front();
    }
}

Trend MakeTrend(const std::deque<Session>& sessions, size_t maxRows) {
    Trend trend;
    std::vector<const Session*> counted;
    for (const Session& session : sessions) {
        if (session.fullRuntimeSeconds) {
            counted.push_back(&session);
        }
    }
    if (counted.empty()) {
        return trend;
    }
    trend.byWeek = DayOf(counted.back()->start.shown) - DayOf(counted.front()->start.shown) >= 28;
    std::map<int64_t, std::vector<const Session*>> groups;
    for (const Session* session : counted) {
        int64_t day = DayOf(session->start.shown);
        groups[trend.byWeek ? day - WeekdayOf(day) : day].push_back(session);
    }
    for (const auto& [firstDay, members] : groups) {
        std::vector<double> drains, runtimes;
        for (const Session* session : members) {
            drains.push_back(*session->percentPerHour);
            runtimes.push_back(*session->fullRuntimeSeconds);
        }
        TrendRow row;
        row.firstDay = firstDay;
        row.sessions = static_cast<int>(members.size());
        row.percentPerHour = *Median(&drains);
        row.fullRuntimeSeconds = *Median(&runtimes);
        trend.rows.push_back(row);
    }
    if (trend.rows.size() > maxRows) {
        trend.rows.erase(trend.rows.begin(), trend.rows.end() - maxRows);
    }
    return trend;
}
