#include "report/figures/health_projection.h"

#include <math.h>

#include <algorithm>
#include <vector>

namespace {

const int64_t kDay = 86400;

struct Reading {
    int64_t instant;
    CivilTime shown;
    double health;
};

// The plausible readings the series keeps, in time order: its thinned
// points (at most 512, spread over all its readings) with its first and
// latest, which the thinning may have dropped.
std::vector<Reading> PlausibleReadings(const HealthSeries& series) {
    std::vector<Reading> readings;
    auto add = [&](const HealthPoint& point) {
        if (std::optional<double> health = HealthOf(series, point)) {
            readings.push_back({point.instant, point.shown, *health});
        }
    };
    for (const HealthPoint& point : series.points.Items()) {
        add(point);
    }
    add(series.first);
    add(series.latest);
    std::stable_sort(readings.begin(), readings.end(),
                     [](const Reading& a, const Reading& b) { return a.instant < b.instant; });
    readings.erase(std::unique(readings.begin(), readings.end(),
                               [](const Reading& a, const Reading& b) {
                                   return a.instant == b.instant && a.health == b.health;
                               }),
                   readings.end());
    return readings;
}

double Days(int64_t seconds) { return static_cast<double>(seconds) / kDay; }

// The least squares slope of health over time, in points per day.
double FittedSlope(std::vector<Reading>::const_iterator from,
                   std::vector<Reading>::const_iterator to, int64_t origin) {
    double n = static_cast<double>(to - from), meanX = 0, meanY = 0;
    for (auto it = from; it != to; ++it) {
        meanX += Days(it->instant - origin) / n;
        meanY += it->health / n;
    }
    double sxx = 0, sxy = 0;
    for (auto it = from; it != to; ++it) {
        double dx = Days(it->instant - origin) - meanX;
        sxx += dx * dx;
        sxy += dx * (it->health - meanY);
    }
    return sxx > 0 ? sxy / sxx : 0;
}

}  // namespace

HealthProjection ProjectHealth(const HealthSeries& series) {
    using P = HealthProjection;
    P projection;
    std::vector<Reading> readings = PlausibleReadings(series);
    if (readings.empty()) {
        return projection;
    }
    const Reading& latest = readings.back();
    projection.fromInstant = latest.instant;
    projection.fromShown = latest.shown;
    projection.fromHealth = latest.health;
    if (latest.health <= P::kThreshold) {
        auto since = readings.end() - 1;
        while (since != readings.begin() && (since - 1)->health <= P::kThreshold) {
            --since;
        }
        projection.outcome = P::Outcome::kBelow;
        projection.at = since->instant;
        projection.atShown = since->shown;
        return projection;
    }
    auto window = std::lower_bound(readings.begin(), readings.end(),
                                   latest.instant - P::kWindowDays * kDay,
                                   [](const Reading& a, int64_t at) { return a.instant < at; });
    if (latest.instant - readings.front().instant < P::kMinDays * kDay) {
        window = readings.begin();
        projection.outcome = P::Outcome::kTooShort;
    } else if (latest.instant - window->instant < P::kMinDays * kDay) {
        projection.outcome = P::Outcome::kSparse;
    }
    projection.readings = readings.end() - window;
    projection.days = Days(latest.instant - window->instant);
    if (projection.outcome != P::Outcome::kNoHealth) {
        return projection;
    }
    // Least squares over every reading of the window rather than its first
    // and last: a gauge's full capacity moves by a point or so when it
    // recalibrates, and a fit leans on no one reading. The last 180 days,
    // because wear is not a straight line over years: it is the present
    // rate that says where the battery is headed.
    double slope = FittedSlope(window, readings.end(), latest.instant);
    projection.pointsPer100Days = slope * 100;
    // The readings are given to a tenth of a point, but a battery's gauge
    // wanders by about a point between calibrations: a change under one
    // point over the whole window cannot be told from that, and a date
    // drawn from it would be noise.
    double change = slope * projection.days;
    if (fabs(change) < P::kResolution) {
        projection.outcome = P::Outcome::kFlat;
        return projection;
    }
    if (change > 0) {
        projection.outcome = P::Outcome::kRising;
        return projection;
    }
    // On from the latest reading, the health the summary shows now, at the
    // fitted rate: the drawn line and its continuation meet there.
    double days = (latest.health - P::kThreshold) / -slope;
    if (days > P::kMaxYears * 365.25) {
        projection.outcome = P::Outcome::kBeyond;
        return projection;
    }
    projection.outcome = P::Outcome::kReaches;
    int64_t ahead = llround(days * kDay);
    projection.at = latest.instant + ahead;
    projection.atShown = CivilFromSeconds(SecondsOf(latest.shown) + ahead);
    return projection;
}
