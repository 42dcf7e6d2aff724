#include "report/figures/drain_periods.h"

#include <algorithm>

#include "report/figures/sessions.h"

namespace {

// 1970-01-05 was a Monday: weeks and longer stretches start on Mondays.
const int64_t kMonday = 4;

int64_t AlignedTo(int64_t day, int days) {
    if (days == 1) {
        return day;
    }
    int64_t offset = day - kMonday;
    return kMonday + (offset >= 0 ? offset / days : (offset - days + 1) / days) * days;
}

}  // namespace

Drain DrainOf(int sessions, double percent, double seconds) {
    Drain drain;
    drain.sessions = sessions;
    drain.percentPerHour = percent * 3600 / seconds;
    drain.fullRuntimeSeconds = 100 * seconds / percent;
    return drain;
}

void DrainBook::Book(const Session& session) {
    int64_t day = DayOf(session.start.shown);
    auto at = periods_.upper_bound(day);
    if (at == periods_.begin() || std::prev(at)->second.firstDay + std::prev(at)->second.days <= day) {
        DrainPeriod period;
        period.firstDay = day;
        at = periods_.emplace(day, period).first;
    } else {
        --at;
    }
    at->second.sessions++;
    at->second.percent += session.awakeFall;
    at->second.seconds += session.awakeSeconds;
    if (periods_.size() > kMaxPeriods) {
        Fold();
    }
}

// The older half of the periods is folded into stretches twice as long as
// the shortest among them (days into weeks), until few enough are left.
void DrainBook::Fold() {
    while (periods_.size() > kMaxPeriods / 2 + kMaxPeriods / 4) {
        size_t older = periods_.size() / 2;
        int shortest = INT32_MAX;
        auto it = periods_.begin();
        for (size_t i = 0; i < older; i++, ++it) {
            shortest = std::min(shortest, it->second.days);
        }
        int days = shortest == 1 ? 7 : shortest * 2;
        std::map<int64_t, DrainPeriod> folded;
        it = periods_.begin();
        for (size_t i = 0; i < older; i++) {
            DrainPeriod period = it->second;
            it = periods_.erase(it);
            int width = std::max(period.days, days);
            int64_t first = AlignedTo(period.firstDay, width);
            DrainPeriod& into = folded[first];
            into.firstDay = first;
            into.days = width;
            into.sessions += period.sessions;
            into.percent += period.percent;
            into.seconds += period.seconds;
        }
        periods_.insert(folded.begin(), folded.end());
    }
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
