// The use of a machine's days as stacked bars: on battery, asleep on
// battery, on mains, not logged, each as a share of its day or week.
#include <algorithm>
#include <map>

#include "report/output/formatting.h"
#include "report/output/svg_charts.h"
#include "report/output/svg_shapes.h"

namespace {

const size_t kBars = 62;

struct Part {
    double DayUsage::*seconds;
    const char* cssClass;
    const char* name;
};
const Part kParts[] = {{&DayUsage::battery, "on-battery", "on battery"},
                       {&DayUsage::asleep, "asleep", "asleep on battery"},
                       {&DayUsage::mains, "mains", "on mains"},
                       {&DayUsage::unlogged, "unlogged", "not logged"}};

}  // namespace

std::string UsageChart(const UsageBook& usage, bool byWeek) {
    std::map<int64_t, DayUsage> grouped;
    for (const auto& [first, day] : usage.Days()) {
        DayUsage& into = grouped[byWeek ? AlignedTo(first, std::max(day.days, 7)) : first];
        into.Add(day);
        into.days = byWeek ? std::max(day.days, 7) : day.days;
    }
    while (grouped.size() > kBars) {
        grouped.erase(grouped.begin());
    }
    if (grouped.empty()) {
        return "<p id=\"usage-chart\">Nothing logged.</p>";
    }
    // The hatching for sleep is the charge chart's, above it.
    std::string svg = svg::Open("usage-chart", 960, 276, byWeek ? "Use per week" : "Use per day") +
                      svg::Grid(100, 25, "%");
    double slot = (svg::kRight - svg::kLeft) / static_cast<double>(grouped.size());
    // The year in the labels where the chart crosses one or covers months.
    int firstYear, lastYear, month, dayOfMonth;
    CivilFromDays(grouped.begin()->first, &firstYear, &month, &dayOfMonth);
    CivilFromDays(grouped.rbegin()->first, &lastYear, &month, &dayOfMonth);
    bool withYear = firstYear != lastYear || grouped.rbegin()->first - grouped.begin()->first > 180;
    double labelledTo = -1e9;
    size_t index = 0;
    for (const auto& [first, day] : grouped) {
        double x = svg::kLeft + static_cast<double>(index++) * slot;
        double whole = 86400.0 * day.days, y = svg::kBottom;
        std::string name = (byWeek ? "week of " : "") + FormatIsoDate(first);
        for (const Part& part : kParts) {
            double share = std::min(1.0, std::max(0.0, day.*part.seconds / whole));
            if (share <= 0) {
                continue;
            }
            double height = share * (svg::kBottom - svg::kTop);
            y -= height;
            std::string title = name + ": " + FormatDuration(day.*part.seconds) + " " + part.name;
            svg += part.cssClass == std::string("asleep")
                       ? "<rect class=\"asleep\" fill=\"url(#asleep-hatch)\" x=\"" +
                             Coordinate(x + slot * 0.15) + "\" y=\"" + Coordinate(y) +
                             "\" width=\"" + Coordinate(slot * 0.7) + "\" height=\"" +
                             Coordinate(height) + "\"><title>" + title + "</title></rect>\n"
                       : svg::Rect(part.cssClass, x + slot * 0.15, y, slot * 0.7, height, title) +
                             "\n";
        }
        std::string label = FormatIsoDate(first).substr(withYear ? 0 : 5);
        if (x + slot / 2 - svg::LabelWidth(label) / 2 >= labelledTo + 8) {
            svg += svg::AxisLabel(x + slot / 2, svg::kBottom + 20, label);
            labelledTo = x + slot / 2 + svg::LabelWidth(label) / 2;
        }
    }
    return svg + "</svg>";
}
