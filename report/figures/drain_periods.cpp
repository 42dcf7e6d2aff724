#include "report/figures/drain_periods.h"

#include <algorithm>

#include "report/figures/sessions.h"

namespace {

// Keeps `rates` to at most DrainPeriod::kRates, evenly spread over their
// order of size, so their median stays where it was.
void Thin(std::vector<float>* rates) {
    if (rates->size() <= DrainPeriod::kRates) {
        return;
    }
    std::sort(rates->begin(), rates->end());
    std::vector<float> kept;
    for (size_t i = 0; i < DrainPeriod::kRates; i++) {
        kept.push_back((*rates)[i * (rates->size() - 1) / (DrainPeriod::kRates - 1)]);
    }
    rates->swap(kept);
}

}  // namespace

void DrainPeriod::Add(const DrainPeriod& other) {
    sessions += other.sessions;
    percent += other.percent;
    seconds += other.seconds;
    chargeRates.insert(chargeRates.end(), other.chargeRates.begin(), other.chargeRates.end());
    Thin(&chargeRates);
}

Drain DrainOf(int sessions, double percent, double seconds) {
    Drain drain;
    drain.sessions = sessions;
    drain.percentPerHour = percent * 3600 / seconds;
    drain.fullRuntimeSeconds = 100 * seconds / percent;
    return drain;
}

void DrainBook::Book(const Session& session) {
    book_.Update(DayOf(session.start.shown), [&](DrainPeriod* period) {
        period->sessions++;
        period->percent += session.awakeFall;
        period->seconds += session.awakeSeconds;
    });
}

void DrainBook::Book(const Charge& charge) {
    if (charge.percentPerHour) {
        book_.Update(DayOf(charge.end.shown), [&](DrainPeriod* period) {
            period->chargeRates.push_back(static_cast<float>(*charge.percentPerHour));
            Thin(&period->chargeRates);
        });
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
        rows[trend.byWeek ? AlignedTo(first, std::max(period.days, 7)) : first].Add(period);
    }
    for (auto& [first, row] : rows) {
        TrendRow trendRow{first, std::nullopt, std::nullopt};
        if (row.percent > 0 && row.seconds > 0) {
            trendRow.drain = DrainOf(row.sessions, row.percent, row.seconds);
        }
        std::vector<double> rates(row.chargeRates.begin(), row.chargeRates.end());
        trendRow.chargeRate = Median(&rates);
        if (trendRow.drain || trendRow.chargeRate) {
            trend.rows.push_back(trendRow);
        }
    }
    if (trend.rows.size() > maxRows) {
        trend.rows.erase(trend.rows.begin(), trend.rows.end() - maxRows);
    }
    return trend;
}
