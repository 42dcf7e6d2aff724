#include "report/log_summary.h"

#include "report/sessions.h"

namespace {

const int64_t kThirtyDays = 30 * 86400;
const size_t kMaxFirstDrains = 4096;
// 1970-01-05 was a Monday: weeks and longer stretches start on Mondays.
const int64_t kMonday = 4;

int64_t AlignedTo(int64_t day, int days) {
    if (days == 1) {
        return day;
    }
    int64_t offset = day - kMonday;
    return kMonday + (offset >= 0 ? offset / days : (offset - days + 1) / days) * days;
}

Drain DrainOf(int sessions, double percent, double seconds) {
    Drain drain;
    drain.sessions = sessions;
    drain.percentPerHour = percent * 3600 / seconds;
    drain.fullRuntimeSeconds = 100 * seconds / percent;
    return drain;
}

}  // namespace

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
    batterySeconds_ += session.seconds - session.asleepSeconds;
    asleepSeconds_ += session.asleepSeconds;
    charge_.AddSessionStart(session.start.elapsed);
    for (const SleepGap& sleep : session.sleeps) {
        charge_.BreakAt(sleep.to);
    }
    for (const EstimatePoint& point : session.estimates) {
        estimates_.Add(point);
    }
    if (session.fullRuntimeSeconds) {
        BookDrain(session);
        if (firstSessionAt_ == INT64_MIN) {
            firstSessionAt_ = session.start.instant;
        }
        if (session.start.instant - firstSessionAt_ < kThirtyDays &&
            firstDrains_.size() < kMaxFirstDrains) {
            firstDrains_.push_back(*session.percentPerHour);
        }
    }
    sessions_.push_back(session);
    sessions_.back().estimates.clear();
    sessions_.back().estimates.shrink_to_fit();
    sessions_.back().sleeps.clear();
    sessions_.back().sleeps.shrink_to_fit();
    if (sessions_.size() > kKeptSessions) {
        sessions_.pop_front();
    }
}

void LogSummary::BookDrain(const Session& session) {
    int64_t day = DayOf(session.start.shown);
    auto at = drain_.upper_bound(day);
    if (at == drain_.begin() || std::prev(at)->second.firstDay + std::prev(at)->second.days <= day) {
        DrainPeriod period;
        period.firstDay = day;
        at = drain_.emplace(day, period).first;
    } else {
        --at;
    }
    at->second.sessions++;
    at->second.percent += session.awakeFall;
    at->second.seconds += session.awakeSeconds;
    if (drain_.size() > kMaxPeriods) {
        Fold();
    }
}

// The older half of the periods is folded into stretches twice as long as
// the shortest among them (days into weeks), until few enough are left.
void LogSummary::Fold() {
    while (drain_.size() > kMaxPeriods / 2 + kMaxPeriods / 4) {
        size_t older = drain_.size() / 2;
        int shortest = INT32_MAX;
        auto it = drain_.begin();
        for (size_t i = 0; i < older; i++, ++it) {
            shortest = std::min(shortest, it->second.days);
        }
        int days = shortest == 1 ? 7 : shortest * 2;
        std::map<int64_t, DrainPeriod> folded;
        it = drain_.begin();
        for (size_t i = 0; i < older; i++) {
            DrainPeriod period = it->second;
            it = drain_.erase(it);
            int width = std::max(period.days, days);
            int64_t first = AlignedTo(period.firstDay, width);
            DrainPeriod& into = folded[first];
            into.firstDay = first;
            into.days = width;
            into.sessions += period.sessions;
            into.percent += period.percent;
            into.seconds += period.seconds;
        }
        drain_.insert(folded.begin(), folded.end());
    }
}

std::optional<Drain> LogSummary::FirstDays() const {
    std::vector<double> drains = firstDrains_;
    std::optional<double> median = Median(&drains);
    if (!median || !(*median > 0)) {
        return std::nullopt;
    }
    return DrainOf(static_cast<int>(firstDrains_.size()), *median, 3600);
}

std::optional<Drain> LogSummary::LastDays() const {
    std::vector<const Session*> recent;
    for (auto it = sessions_.rbegin(); it != sessions_.rend(); ++it) {
        if (sessions_.back().start.instant - it->start.instant >= kThirtyDays) {
            break;
        }
        recent.push_back(&*it);
    }
    return MedianDrain(recent);
}

double LogSummary::SessionSpanDays() const {
    if (firstSessionAt_ == INT64_MIN || sessions_.empty()) {
        return 0;
    }
    return static_cast<double>(sessions_.back().start.instant - firstSessionAt_) / 86400;
}

std::optional<double> LogSummary::MedianEstimateError() const {
    std::vector<double> errors;
    for (const Session& session : sessions_) {
        if (session.estimateErrorPercent) {
            errors.push_back(*session.estimateErrorPercent);
        }
    }
    return Median(&errors);
}

std::optional<Drain> MedianDrain(const std::vector<const Session*>& sessions) {
    std::vector<double> drains;
    for (const Session* session : sessions) {
        if (session->fullRuntimeSeconds) {
            drains.push_back(*session->percentPerHour);
        }
    }
    std::optional<double> median = Median(&drains);
    if (!median || !(*median > 0)) {
        return std::nullopt;
    }
    return DrainOf(static_cast<int>(drains.size()), *median, 3600);
}

Trend MakeTrend(const std::map<int64_t, DrainPeriod>& periods, size_t maxRows, bool alwaysByWeek) {
    Trend trend;
    if (periods.empty()) {
        return trend;
    }
    trend.byWeek = alwaysByWeek || periods.rbegin()->first - periods.begin()->first >= 28;
    std::map<int64_t, DrainPeriod> rows;
    for (const auto& [first, period] : periods) {
        int64_t key = trend.byWeek ? AlignedTo(first, std::max(period.days, 7)) : first;
        DrainPeriod& row = rows[key];
        row.sessions += period.sessions;
        row.percent += period.percent;
        row.seconds += period.seconds;
    }
    for (const auto& [first, row] : rows) {
        if (row.percent > 0 && row.seconds > 0) {
            trend.rows.push_back({first, DrainOf(row.sessions, row.percent, row.seconds)});
        }
    }
    if (trend.rows.size() > maxRows) {
        trend.rows.erase(trend.rows.begin(), trend.rows.end() - maxRows);
    }
    return trend;
}
