#include "report/figures/health_history.h"

#include <math.h>

#include <algorithm>


namespace {

const int64_t kDay = 86400;

bool SameDesign(std::optional<double> a, std::optional<double> b) {
    // As read from the log, with two decimals.
    return a.has_value() == b.has_value() && (!a || fabs(*a - *b) < 0.005);
}

// Cycle counts only rise on one pack: a reading that counts fewer cycles
// than one read before it, or more than one read after it, is another.
bool FitsCycles(const HealthSeries& series, int64_t instant, std::optional<int64_t> cycles) {
    auto contradicts = [&](const std::optional<CycleMark>& mark) {
        return mark && ((instant >= mark->instant && *cycles < mark->cycles) ||
                        (instant <= mark->instant && *cycles > mark->cycles));
    };
    return !cycles || !(contradicts(series.earliestCount) || contradicts(series.latestCount));
}

// How far a reading lies outside the span of the series' readings.
int64_t Distance(const HealthSeries& series, int64_t instant) {
    return std::max<int64_t>({0, series.first.instant - instant, instant - series.latest.instant});
}

std::optional<double> ReadHealth(const HealthSeries& series, const HealthPoint& point) {
    if (point.healthPercent) {
        return point.healthPercent;
    }
    if (point.fullWh && series.designWh && *series.designWh > 0) {
        return *point.fullWh / *series.designWh * 100.0;
    }
    return std::nullopt;
}

}  // namespace

std::optional<double> HealthOf(const HealthSeries& series, const HealthPoint& point) {
    return PlausibleHealth(ReadHealth(series, point));
}

std::optional<double> ImplausibleHealthOf(const HealthSeries& series, const HealthPoint& point) {
    std::optional<double> health = ReadHealth(series, point);
    return PlausibleHealth(health) ? std::nullopt : health;
}

void HealthHistory::Add(int64_t instant, const CivilTime& shown, const BatteryInfo& info) {
    if (!info.fullWh && !info.healthPercent) {
        return;
    }
    // The same battery; of two that could be (a pack taken out and put in
    // again), the one whose readings lie nearest.
    HealthSeries* found = nullptr;
    for (HealthSeries& series : series_) {
        if (series.name == info.name && series.model == info.model &&
            SameDesign(series.designWh, info.designWh) &&
            FitsCycles(series, instant, info.cycleCount) &&
            (!found || Distance(series, instant) <= Distance(*found, instant))) {
            found = &series;
        }
    }
    if (!found) {
        if (series_.size() >= kMaxSeries) {
            series_.erase(std::min_element(series_.begin(), series_.end(),
                                           [](const HealthSeries& a, const HealthSeries& b) {
                                               return a.latest.instant < b.latest.instant;
                                           }));
        }
        series_.emplace_back();
        found = &series_.back();
        found->name = info.name;
        found->model = info.model;
        found->designWh = info.designWh;
    }
    HealthSeries& series = *found;
    HealthPoint point;
    point.instant = instant;
    point.shown = shown;
    point.fullWh = info.fullWh;
    point.healthPercent = info.healthPercent;
    point.cycleCount = info.cycleCount;
    if (info.cycleCount) {
        CycleMark mark{instant, *info.cycleCount};
        if (!series.earliestCount || instant < series.earliestCount->instant) {
            series.earliestCount = mark;
        }
        if (!series.latestCount || instant >= series.latestCount->instant) {
            series.latestCount = mark;
        }
    }
    if (series.readings == 0 || instant < series.first.instant) {
        series.first = point;
    }
    if (series.readings == 0 || instant >= series.latest.instant) {
        series.latest = point;
        series.manufacturer = info.manufacturer;
        series.technology = info.technology;
    }
    series.readings++;
    series.points.Add(point);
}

std::vector<const HealthSeries*> HealthHistory::Series() const {
    std::vector<const HealthSeries*> all;
    for (const HealthSeries& series : series_) {
        all.push_back(&series);
    }
    std::stable_sort(all.begin(), all.end(), [](const HealthSeries* a, const HealthSeries* b) {
        return a->first.instant < b->first.instant;
    });
    return all;
}

std::vector<const HealthSeries*> HealthHistory::Current() const {
    std::vector<const HealthSeries*> all = Series(), current;
    int64_t newest = INT64_MIN;
    for (const HealthSeries* series : all) {
        newest = std::max(newest, series->latest.instant);
    }
    for (const HealthSeries* series : all) {
        if (series->latest.instant >= newest - kDay) {
            current.push_back(series);
        }
    }
    return current;
}

std::optional<double> CurrentHealth(const HealthHistory& history) {
    double full = 0, design = 0, healthSum = 0;
    int healths = 0;
    bool wattHours = true;
    for (const HealthSeries* series : history.Current()) {
        std::optional<double> health = HealthOf(*series, series->latest);
        if (health) {
            healthSum += *health;
            healths++;
        }
        if (health && series->latest.fullWh && series->designWh) {
            full += *series->latest.fullWh;
            design += *series->designWh;
        } else {
            wattHours = false;
        }
    }
    if (wattHours && design > 0) {
        return full / design * 100.0;
    }
    return healths > 0 ? std::optional<double>(healthSum / healths) : std::nullopt;
}
