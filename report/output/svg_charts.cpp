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

// The charge of each run: while a bucket holds minutes, a line through
// each bucket's lowest and highest charge in their order; once buckets
// hold hours (a month or more of log), the band between them, with the
// lowest charges as the line: how deep the battery went.
template <typename X, typename Y>
std::string ChargeLines(const std::vector<ChargeBucket>& buckets, int64_t width, X x, Y y) {
    std::vector<std::vector<const ChargeBucket*>> runs;
    bool breaks = true;
    for (const ChargeBucket& bucket : buckets) {
        breaks = breaks || bucket.startsRun;  // a break in an empty bucket holds for the next
        if (bucket.any) {
            if (breaks) {
                runs.emplace_back();
            }
            runs.back().push_back(&bucket);
            breaks = false;
        }
    }
    bool band = width >= 3600;
    std::string svg;
    for (const std::vector<const ChargeBucket*>& run : runs) {
        std::string line, highs, lows;
        for (const ChargeBucket* bucket : run) {
            if (band) {
                std::string at =
                    Coordinate(x(static_cast<double>(bucket->lowAt / width * width + width / 2)));
                highs += at + "," + Coordinate(y(bucket->high)) + " ";
                lows = at + "," + Coordinate(y(bucket->low)) + " " + lows;
                line += at + "," + Coordinate(y(bucket->low)) + " ";
                continue;
            }
            bool lowFirst = bucket->lowAt <= bucket->highAt;
            line += Coordinate(x(static_cast<double>(lowFirst ? bucket->lowAt : bucket->highAt))) +
                    "," + Coordinate(y(lowFirst ? bucket->low : bucket->high)) + " ";
            if (bucket->low != bucket->high) {
                line +=
                    Coordinate(x(static_cast<double>(lowFirst ? bucket->highAt : bucket->lowAt))) +
                    "," + Coordinate(y(lowFirst ? bucket->high : bucket->low)) + " ";
            }
        }
        if (band) {
            svg += "<polygon class=\"charge-range\" points=\"" + highs + lows + "\"/>\n";
        }
        size_t comma = line.find(',');
        if (line.find(',', comma + 1) == std::string::npos) {
            // A lone report between two breaks: a dot, as a line of one point shows nothing.
            size_t space = line.find(' ');
            svg += "<circle class=\"charge-dot\" cx=\"" + line.substr(0, comma) + "\" cy=\"" +
                   line.substr(comma + 1, space - comma - 1) + "\" r=\"2\"/>\n";
            continue;
        }
        svg += "<polyline class=\"charge\" points=\"" + line + "\"/>\n";
    }
    return svg;
}

}  // namespace

std::string ChargeChart(const LogSummary& summary) {
    const ChargeSeries& series = summary.Charge();
    double span =
        std::max<double>(1, static_cast<double>(summary.Last().elapsed - series.Origin()));
    auto x = [&](double elapsed) {
        return kLeft + (elapsed - series.Origin()) / span * (kRight - kLeft);
    };
    auto y = [&](int charge) { return kBottom - charge / 100.0 * (kBottom - kTop); };
    std::string svg = svg::Open("charge-chart", 960, 276, "Charge over the whole log") +
                      svg::Grid(100, 25, "%");
    // Mains: runs of buckets that spent at least half their time on mains.
    const std::vector<ChargeBucket> buckets = series.Buckets();
    const int64_t bucketSeconds = series.Width();
    double width = static_cast<double>(bucketSeconds);
    for (size_t i = 0; i < buckets.size(); i++) {
        size_t end = i;
        while (end < buckets.size() && buckets[end].mainsSeconds >= width / 2) {
            end++;
        }
        if (end > i) {
            double from = static_cast<double>(series.Origin()) + i * width;
            svg += Rect("mains", x(from), kTop,
                        x(std::min(from + (end - i) * width, span + series.Origin())) - x(from),
                        kBottom - kTop) +
                   "\n";
            i = end;
        }
    }
    // Battery: runs of buckets with time on battery, each one mark from its
    // first to its last moment there, with the sessions begun in it.
    double start = static_cast<double>(SecondsOf(summary.First().shown));
    for (size_t i = 0; i < buckets.size(); i++) {
        if (!buckets[i].OnBattery()) {
            continue;
        }
        int64_t from = buckets[i].batteryFrom, to = buckets[i].batteryTo, sessions = 0;
        double seconds = 0;
        for (; i < buckets.size() && buckets[i].OnBattery(); i++) {
            to = std::max(to, buckets[i].batteryTo);
            sessions += buckets[i].sessions;
            seconds += buckets[i].batterySeconds;
        }
        auto shown = [&](int64_t elapsed) {
            return FormatMinute(
                CivilFromSeconds(static_cast<int64_t>(start) + elapsed - series.Origin()));
        };
        double left = x(static_cast<double>(from));
        svg += Rect("session", left, kBottom + 6, x(static_cast<double>(to)) - left, 8,
                    shown(from) + " to " + shown(to) + ": " + FormatCount(sessions, "session") +
                        ", " + FormatDuration(seconds) + " on battery") +
               "\n";
    }
    svg += ChargeLines(buckets, bucketSeconds, x, y);
    // Time ticks on whole hours, days or weeks of the log's own clock.
    double step =
        svg::Step(span, 8, {3600, 7200, 21600, 43200, 86400, 172800, 604800, 1209600, 2419200});
    for (double tick = ceil(start / step) * step; tick <= start + span; tick += step) {
        std::string label = FormatIsoTime(CivilFromSeconds(static_cast<int64_t>(tick)));
        label = step < 86400 ? label.substr(5, 5) + " " + label.substr(11, 5) : label.substr(0, 10);
        double at = x(tick - start + series.Origin());
        svg += Line(at, kBottom, at, kBottom + 4, "axis") + svg::AxisLabel(at, kBottom + 30, label);
    }
    return svg + "\n</svg>";
}

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
    Trend weeks = MakeTrend(summary.DrainPeriods(), kWeeks, true);
    std::string svg = "<svg class=\"weekly-drain\" viewBox=\"0 0 130 24\" role=\"img\" "
                      "aria-label=\"Drain per week\">";
    if (weeks.rows.empty()) {
        return svg + "</svg>";
    }
    double top = 1;
    for (const TrendRow& row : weeks.rows) {
        top = std::max(top, row.drain.percentPerHour);
    }
    int64_t lastWeek = weeks.rows.back().firstDay;
    for (const TrendRow& row : weeks.rows) {
        int64_t back = (lastWeek - row.firstDay) / 7;
        if (back >= kWeeks) {
            continue;
        }
        double height = std::max(1.0, row.drain.percentPerHour / top * 22);
        char bar[200];
        snprintf(bar, sizeof bar,
                 "<rect x=\"%d\" y=\"%.1f\" width=\"4\" height=\"%.1f\"><title>%s: %s %%/h"
                 "</title></rect>",
                 static_cast<int>(125 - back * 5), 23 - height, height,
                 FormatIsoDate(row.firstDay).c_str(),
                 FormatFixed(row.drain.percentPerHour, 1).c_str());
        svg += bar;
    }
    return svg + "</svg>";
}
