#include "report/output/health_output.h"

#include <math.h>

#include <algorithm>

#include "report/output/battery_output.h"
#include "report/output/formatting.h"

namespace {

const int64_t kDay = 86400;

std::string Figure(const HealthSeries& series, const HealthPoint& point) {
    std::optional<double> health = HealthOf(series, point);
    if (health) {
        return FormatFixed(*health, 1) + " %";
    }
    if (std::optional<double> wrong = ImplausibleHealthOf(series, point)) {
        return NotPlausibleText(point.fullWh, series.designWh, *wrong);
    }
    return point.fullWh ? FormatFixed(*point.fullWh, 2) + " Wh full" : "-";
}

std::string Day(const HealthPoint& point) { return FormatIsoDate(DayOf(point.shown)); }

std::string Rate(double pointsPer100Days) {
    return (pointsPer100Days > 0 ? "+" : "") + FormatFixed(pointsPer100Days, 1) +
           " points per 100 days";
}

}  // namespace

std::string ProjectionText(const HealthProjection& projection) {
    using Outcome = HealthProjection::Outcome;
    std::string restsOn = ", from " + FormatCount(projection.readings, "reading") + " over " +
                          FormatCount(llround(projection.days), "day");
    std::string needed = " span " + FormatCount(llround(projection.days), "day") + ", " +
                         std::to_string(HealthProjection::kMinDays) + " are needed";
    switch (projection.outcome) {
    case Outcome::kNoHealth:
        return "";
    case Outcome::kBelow:
        return "below 80 % since " + FormatIsoDate(DayOf(projection.atShown));
    case Outcome::kTooShort:
        return "no date for 80 % yet: its readings" + needed;
    case Outcome::kSparse:
        return "no date for 80 %: its readings of the last " +
               std::to_string(HealthProjection::kWindowDays) + " days" + needed;
    case Outcome::kFlat:
        return "no date for 80 %: about flat at " + Rate(projection.pointsPer100Days) + restsOn;
    case Outcome::kRising:
        return "no date for 80 %: rising at " + Rate(projection.pointsPer100Days) + restsOn;
    case Outcome::kBeyond:
        return "not at 80 % within " + std::to_string(HealthProjection::kMaxYears) +
               " years at " + Rate(projection.pointsPer100Days) + restsOn;
    case Outcome::kReaches:
        return "reaches 80 % about " + FormatIsoDate(DayOf(projection.atShown)).substr(0, 7) +
               " at " + Rate(projection.pointsPer100Days) + restsOn;
    }
    return "";
}

std::string LatestHealthText(const HealthHistory& history) {
    std::optional<double> health = CurrentHealth(history);
    return health ? FormatFixed(*health, 1) + "%" : "";
}

std::string SetAsideText(const HealthHistory& history) {
    int64_t before = history.SetAsideBefore(), after = history.SetAsideAfter();
    if (before + after == 0) {
        return "";
    }
    std::string text = FormatCount(before + after, "reading") + " set aside, dated ";
    if (before > 0) {
        text += (after > 0 ? std::to_string(before) + " " : "") +
                "more than a day before the first report";
    }
    if (after > 0) {
        text += (before > 0 ? " and " + std::to_string(after) + " " : "") +
                "more than a day after the last report";
    }
    return text + " (a clock not set right?).";
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
    std::string setAside = SetAsideText(history);
    if (history.Empty() && setAside.empty()) {
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
        std::optional<int64_t> cycles = series.latest.cycleCount;
        text += " (" + FormatCount(series.readings, "reading") +
                (cycles ? ", " + FormatCount(*cycles, "cycle") : "") + ")";
        std::optional<double> first = HealthOf(series, series.first);
        std::optional<double> latest = HealthOf(series, series.latest);
        int64_t span = series.latest.instant - series.first.instant;
        if (first && latest && span >= 30 * kDay) {
            double change = (*latest - *first) / static_cast<double>(span) * 100 * kDay;
            text += ": " + Rate(change);
        }
        std::string headed = ProjectionText(ProjectHealth(series));
        text += "\n" + (headed.empty() ? "" : "    " + headed + "\n");
    }
    std::string estimate = history.Empty() ? "" : HealthEstimateText(history, drainPercentPerHour);
    size_t part = estimate.find("; ");
    if (part != std::string::npos) {
        estimate.replace(part, 2, ";\n  ");
    }
    return text + (setAside.empty() ? "" : "  " + setAside + "\n") +
           (estimate.empty() ? "" : "  " + estimate + "\n");
}
