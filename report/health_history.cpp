#include "report/health_history.h"

#include <math.h>

#include <algorithm>

#include "report/csv_output.h"
#include "report/text_output.h"

namespace {

const int64_t kDay = 86400;

bool SameDesign(std::optional<double> a, std::optional<double> b) {
    // As read from the log, with two decimals.
    return a.has_value() == b.has_value() && (!a || fabs(*a - *b) < 0.005);
}

std::string Figure(const HealthSeries& series, const HealthPoint& point) {
    std::optional<double> health = HealthOf(series, point);
    if (health) {
        return FormatFixed(*health, 1) + " %";
    }
    return point.fullWh ? FormatFixed(*point.fullWh, 2) + " Wh full" : "-";
}

std::string Day(const HealthPoint& point) { return FormatIsoDate(DayOf(point.shown)); }

}  // namespace

std::optional<double> HealthOf(const HealthSeries& series, const HealthPoint& point) {
    if (point.healthPercent) {
        return point.healthPercent;
    }
    if (point.fullWh && series.designWh && *series.designWh > 0) {
        return *point.fullWh / *series.designWh * 100.0;
    }
    return std::nullopt;
}

void HealthHistory::Add(int64_t instant, const CivilTime& shown, const BatteryInfo& info) {
    if (!info.fullWh && !info.healthPercent) {
        return;
    }
    auto same = [&](const HealthSeries& series) {
        return series.name == info.name && series.model == info.model &&
               SameDesign(series.designWh, info.designWh);
    };
    auto found = std::find_if(series_.begin(), series_.end(), same);
    if (found == series_.end()) {
        if (series_.size() >= kMaxSeries) {
            series_.erase(std::min_element(series_.begin(), series_.end(),
                                           [](const HealthSeries& a, const HealthSeries& b) {
                                               return a.latest.instant < b.latest.instant;
                                           }));
        }
        series_.emplace_back();
        found = series_.end() - 1;
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
    if (series.readings == 0 || instant < series.first.instant) {
        series.first = point;
    }
    if (series.readings == 0 || instant >= series.latest.instant) {
        series.latest = point;
        series.manufacturer = info.manufacturer;
        series.technology = info.technology;
        series.cycleCount = info.cycleCount;
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
        if (series->latest.fullWh && series->designWh) {
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

std::string LatestHealthText(const HealthHistory& history) {
    std::optional<double> health = CurrentHealth(history);
    return health ? FormatFixed(*health, 1) + "%" : "";
}

std::string HealthEstimateText(const HealthHistory& history,
                               std::optional<double> drainPercentPerHour) {
    if (!drainPercentPerHour || !(*drainPercentPerHour > 0) || !isfinite(*drainPercentPerHour)) {
        return "";
    }
    double now = 100.0 / *drainPercentPerHour * 3600;
    std::string text = "A full charge lasts " + FormatDuration(now) +
                       " at the median drain of the last 30 days (" +
                       FormatFixed(*drainPercentPerHour, 1) + " %/h)";
    std::optional<double> health = CurrentHealth(history);
    if (health && *health > 0) {
        text += "; at design capacity it would last " + FormatDuration(now / (*health / 100.0));
    }
    return text + ".";
}

std::string HealthSummaryText(const HealthHistory& history,
                              std::optional<double> drainPercentPerHour) {
    if (history.Empty()) {
        return "";
    }
    std::string text = "Battery health:\n";
    std::vector<const HealthSeries*> all = history.Series();
    for (size_t i = 0; i < all.size(); i++) {
        const HealthSeries& series = *all[i];
        std::string about = series.manufacturer;
        about += (about.empty() || series.model.empty() ? "" : " ") + series.model;
        if (series.designWh) {
            about += (about.empty() ? "" : ", ") + FormatFixed(*series.designWh, 2) + " Wh design";
        }
        bool replaced =
            std::any_of(all.begin(), all.begin() + static_cast<ptrdiff_t>(i),
                        [&](const HealthSeries* earlier) { return earlier->name == series.name; });
        text += "  " + (series.name.empty() ? std::string("battery") : series.name) +
                (about.empty() ? "" : " (" + about + ")") +
                (replaced ? ", a new battery from " + Day(series.first) : "") + ":\n    " +
                Figure(series, series.first) + " on " + Day(series.first);
        if (series.readings > 1) {
            text += ", " + Figure(series, series.latest) + " on " + Day(series.latest);
        }
        text += " (" + FormatCount(series.readings, "reading") +
                (series.cycleCount ? ", " + FormatCount(*series.cycleCount, "cycle") : "") + ")";
        std::optional<double> first = HealthOf(series, series.first);
        std::optional<double> latest = HealthOf(series, series.latest);
        int64_t span = series.latest.instant - series.first.instant;
        if (first && latest && span >= 30 * kDay) {
            double change = (*latest - *first) / static_cast<double>(span) * 100 * kDay;
            text += ": " + std::string(change > 0 ? "+" : "") + FormatFixed(change, 1) +
                    " points per 100 days";
        }
        text += "\n";
    }
    std::string estimate = HealthEstimateText(history, drainPercentPerHour);
    size_t part = estimate.find("; ");
    if (part != std::string::npos) {
        estimate.replace(part, 2, ";\n  ");
    }
    return text + (estimate.empty() ? "" : "  " + estimate + "\n");
}
