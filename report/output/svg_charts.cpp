#include "report/output/svg_charts.h"

#include <math.h>

#include <algorithm>

#include "report/output/formatting.h"
#include "report/output/svg_shapes.h"

namespace {

using svg::kBottom;
using svg::kLeft;
using svg::kRight;
using svg::kTop;
using svg::Line;
using svg::Rect;
using svg::Text;

}  // namespace

std::string EstimateChart(const LogSummary& summary) {
    const std::vector<EstimatePoint>& points = summary.Estimates();
    if (points.empty()) {
        return "<p id=\"estimate-chart\">No remaining times to compare: that takes a session whose "
               "charge fell by 5 points or more after the time was shown.</p>";
    }
    // The scale ends at the largest point within half as much again as the
    // 95th percentile: one stale estimate of a day does not squeeze the rest
    // into a corner, and an ordinary spread keeps every point inside.
    std::vector<double> extents;
    for (const EstimatePoint& point : points) {
        extents.push_back(std::max(point.realisedSeconds, point.shownSeconds) / 3600);
    }
    size_t at = (extents.size() - 1) * 95 / 100;
    std::nth_element(extents.begin(), extents.begin() + at, extents.end());
    double bulk = extents[at], top = 1;
    for (double extent : extents) {
        if (extent <= bulk * 1.5) {
            top = std::max(top, extent);
        }
    }
    double step = svg::Step(std::min(24.0, top), 6, {0.5, 1, 2, 3, 4, 6});
    top = std::min(24.0, ceil(top / step) * step);
    const double left = 48, right = 456, upper = 28, lower = 448;
    auto x = [&](double seconds) {
        return left + std::min(seconds / 3600, top) / top * (right - left);
    };
    auto y = [&](double seconds) {
        return lower - std::min(seconds / 3600, top) / top * (lower - upper);
    };
    std::string svg =
        svg::Open("estimate-chart", 480, 492, "Remaining time shown against the time borne out");
    for (double value = 0; value <= top + 1e-9; value += step) {
        svg += Line(left, y(value * 3600), right, y(value * 3600), "grid") +
               Line(x(value * 3600), upper, x(value * 3600), lower, "grid") +
               Text(left - 6, y(value * 3600) + 4, "end", Coordinate(value) + " h") +
               svg::AxisLabel(x(value * 3600), lower + 18, Coordinate(value) + " h", 480) + "\n";
    }
    svg += Line(x(0), y(0), x(top * 3600), y(top * 3600), "diagonal") + "\n";
    // Points beyond the scale sit on its edge as rings, each with its figures.
    int beyond = 0;
    for (const EstimatePoint& point : points) {
        std::string centre = "cx=\"" + Coordinate(x(point.realisedSeconds)) + "\" cy=\"" +
                             Coordinate(y(point.shownSeconds)) + "\"";
        if (point.realisedSeconds <= top * 3600 && point.shownSeconds <= top * 3600) {
            svg += "<circle class=\"estimate\" " + centre + " r=\"2.5\"/>";
            continue;
        }
        beyond++;
        svg += "\n<circle class=\"beyond\" " + centre + " r=\"3.5\"><title>shown " +
               FormatDuration(point.shownSeconds) + ", borne out " +
               FormatDuration(point.realisedSeconds) + "</title></circle>";
    }
    if (beyond > 0) {
        svg += "\n" + Text(right, 16, "end",
                           "<tspan class=\"beyond-count\">" + std::to_string(beyond) +
                               "</tspan> beyond " + Coordinate(top) + " h, on the edge");
    }
    svg += "\n" + Text((left + right) / 2, lower + 40, "middle", "borne out");
    return svg + "<text transform=\"rotate(-90)\" x=\"" + Coordinate(-(upper + lower) / 2) +
           "\" y=\"12\" text-anchor=\"middle\">shown</text>\n</svg>";
}

std::string WeeklyDrainSvg(const LogSummary& summary) {
    const int kWeeks = 26;
    std::vector<TrendRow> weeks;
    for (const TrendRow& row : MakeTrend(summary.DrainPeriods(), SIZE_MAX, true).rows) {
        if (row.drain) {
            weeks.push_back(row);
        }
    }
    if (weeks.size() > kWeeks) {
        weeks.erase(weeks.begin(), weeks.end() - kWeeks);
    }
    std::string svg = "<svg class=\"weekly-drain\" viewBox=\"0 0 130 24\" role=\"img\" "
                      "aria-label=\"Drain per week\">";
    if (weeks.empty()) {
        return svg + "</svg>";
    }
    double top = 1;
    for (const TrendRow& row : weeks) {
        top = std::max(top, row.drain->percentPerHour);
    }
    int64_t lastWeek = weeks.back().firstDay;
    for (const TrendRow& row : weeks) {
        int64_t back = (lastWeek - row.firstDay) / 7;
        if (back >= kWeeks) {
            continue;
        }
        double height = std::max(1.0, row.drain->percentPerHour / top * 22);
        char bar[200];
        snprintf(bar, sizeof bar,
                 "<rect x=\"%d\" y=\"%.1f\" width=\"4\" height=\"%.1f\"><title>%s: %s %%/h"
                 "</title></rect>",
                 static_cast<int>(125 - back * 5), 23 - height, height,
                 FormatIsoDate(row.firstDay).c_str(),
                 FormatFixed(row.drain->percentPerHour, 1).c_str());
        svg += bar;
    }
    return svg + "</svg>";
}
