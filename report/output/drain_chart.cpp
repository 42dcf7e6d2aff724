// The drain chart: a bar per period (day, week...) with the sessions begun
// in it, on an axis of days, so that weeks and days can share it.
#include <math.h>

#include <algorithm>
#include <functional>
#include <set>

#include "report/output/formatting.h"
#include "report/output/svg_charts.h"
#include "report/output/svg_shapes.h"

namespace {

std::string UnitName(int days) {
    return days == 1 ? "day" : days == 7 ? "week" : std::to_string(days) + " days";
}

// The lengths of the periods, longest first, as "week and day".
std::string Units(const std::vector<DrainPeriod>& periods, const char* joint) {
    std::set<int, std::greater<int>> lengths;
    for (const DrainPeriod& period : periods) {
        lengths.insert(period.days);
    }
    std::string units;
    for (int days : lengths) {
        units += (units.empty() ? "" : joint) + UnitName(days);
    }
    return units;
}

std::string PeriodName(const DrainPeriod& period) {
    if (period.days == 1) {
        return FormatIsoDate(period.firstDay);
    }
    if (period.days == 7 && WeekdayOf(period.firstDay) == 0) {
        return "week of " + FormatIsoDate(period.firstDay);
    }
    return FormatIsoDate(period.firstDay) + " to " +
           FormatIsoDate(period.firstDay + period.days - 1);
}

double Rate(const DrainPeriod& period) {
    return period.percent * 3600 / period.seconds;
}

}  // namespace

std::vector<DrainPeriod> ChartPeriods(const std::map<int64_t, DrainPeriod>& given) {
    std::vector<DrainPeriod> periods;
    if (given.empty()) {
        return periods;
    }
    bool byWeek = given.rbegin()->first - given.begin()->first > 400;
    for (const auto& [day, drain] : given) {
        bool fold = byWeek && drain.days < 7;
        int64_t first = fold ? day - WeekdayOf(day) : day;
        if (periods.empty() || periods.back().firstDay != first) {
            DrainPeriod period;
            period.firstDay = first;
            period.days = fold ? 7 : drain.days;
            periods.push_back(period);
        }
        periods.back().sessions += drain.sessions;
        periods.back().percent += drain.percent;
        periods.back().seconds += drain.seconds;
    }
    return periods;
}

std::string DrainHeading(const std::vector<DrainPeriod>& periods) {
    return periods.empty() ? "Drain" : "Drain per " + Units(periods, " and per ");
}

std::string DrainCaption(const std::vector<DrainPeriod>& periods) {
    if (periods.empty()) {
        return "";
    }
    bool weeks = std::any_of(periods.begin(), periods.end(), [](const DrainPeriod& period) {
        return period.days == 7 && WeekdayOf(period.firstDay) == 0;
    });
    return "Charge lost on battery while awake, in percent per hour awake, over the sessions "
           "begun in each " +
           Units(periods, " or ") + (weeks ? " (Monday to Sunday)" : "") + " that drained 2 points or more.";
}

std::string DrainChart(const std::vector<DrainPeriod>& given) {
    std::vector<DrainPeriod> periods;
    for (const DrainPeriod& period : given) {
        if (period.seconds > 0 && period.days > 0) {
            periods.push_back(period);
        }
    }
    if (periods.empty()) {
        return "<p id=\"drain-chart\">No sessions on battery.</p>";
    }
    std::sort(periods.begin(), periods.end(), [](const DrainPeriod& a, const DrainPeriod& b) {
        return a.firstDay < b.firstDay;
    });
    int64_t first = periods.front().firstDay, end = first;
    double top = 1;
    for (const DrainPeriod& period : periods) {
        end = std::max(end, period.firstDay + period.days);
        top = std::max(top, Rate(period));
    }
    double step = svg::Step(top, 5, {1, 2, 5, 10, 20, 25, 50});
    top = ceil(top / step) * step;
    // The year in the labels where the chart crosses one or covers months.
    int firstYear, lastYear, month, day;
    CivilFromDays(first, &firstYear, &month, &day);
    CivilFromDays(end - 1, &lastYear, &month, &day);
    bool withYear = firstYear != lastYear || end - first > 180;
    double dayWidth = (svg::kRight - svg::kLeft) / static_cast<double>(end - first);
    std::string svg = svg::Open("drain-chart", 960, 276, DrainHeading(periods)) +
                      svg::Grid(top, step, "");
    std::string labels;
    double labelledTo = -1e9;
    for (const DrainPeriod& period : periods) {
        double at = svg::kLeft + static_cast<double>(period.firstDay - first) * dayWidth;
        double width = period.days * dayWidth;
        double rate = Rate(period);
        double height = std::max(0.0, rate) / top * (svg::kBottom - svg::kTop);
        svg += svg::Rect("drain", at + width * 0.15, svg::kBottom - height, width * 0.7, height,
                         PeriodName(period) + ": " + FormatFixed(rate, 1) + " %/h over " +
                             FormatDuration(period.seconds)) +
               "\n";
        // Labels under the bars, as many as fit side by side.
        std::string label = FormatIsoDate(period.firstDay).substr(withYear ? 0 : 5);
        double centre = at + width / 2, labelWidth = svg::LabelWidth(label);
        double left = centre + labelWidth / 2 > svg::kWidth ? centre - labelWidth
                                                            : centre - labelWidth / 2;
        if (left >= labelledTo + 8) {
            labels += svg::AxisLabel(centre, svg::kBottom + 20, label);
            labelledTo = left + labelWidth;
        }
    }
    return svg + labels + "\n</svg>";
}
