#include "report/svg_charts.h"

#include <math.h>

#include <algorithm>

#include "report/csv_output.h"
#include "report/text_output.h"

namespace {

// The plot area of the wide charts, in the units of their viewBox.
const double kLeft = 48, kRight = 950, kTop = 12, kBottom = 232;

std::string Text(double x, double y, const std::string& anchor, const std::string& text) {
    return "<text x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(y) + "\" text-anchor=\"" + anchor +
           "\">" + text + "</text>";
}

std::string Line(double x1, double y1, double x2, double y2, const char* cssClass) {
    return "<line class=\"" + std::string(cssClass) + "\" x1=\"" + Coordinate(x1) + "\" y1=\"" +
           Coordinate(y1) + "\" x2=\"" + Coordinate(x2) + "\" y2=\"" + Coordinate(y2) + "\"/>";
}

std::string Rect(const char* cssClass, double x, double y, double width, double height,
                 const std::string& title = "") {
    std::string rect = "<rect class=\"" + std::string(cssClass) + "\" x=\"" + Coordinate(x) +
                       "\" y=\"" + Coordinate(y) + "\" width=\"" +
                       Coordinate(std::max(width, 0.5)) + "\" height=\"" + Coordinate(height) +
                       "\"";
    return title.empty() ? rect + "/>" : rect + "><title>" + title + "</title></rect>";
}

std::string Open(const char* id, int width, int height, const std::string& label) {
    return "<svg id=\"" + std::string(id) + "\" viewBox=\"0 0 " + std::to_string(width) + " " +
           std::to_string(height) + "\" role=\"img\" aria-label=\"" + label + "\"><title>" + label +
           "</title>\n";
}

// A tick step from `steps` that gives about `ticks` ticks over `span`.
double Step(double span, double ticks, const std::vector<double>& steps) {
    for (double step : steps) {
        if (span / step <= ticks) {
            return step;
        }
    }
    return steps.back() * ceil(span / ticks / steps.back());
}

// Horizontal grid lines with their labels, from 0 to `top` on the y axis.
std::string Grid(double top, double step, const char* unit) {
    std::string grid;
    for (double value = 0; value <= top + 1e-9; value += step) {
        double y = kBottom - value / top * (kBottom - kTop);
        grid += Line(kLeft, y, kRight, y, "grid") +
                Text(kLeft - 6, y + 4, "end", Coordinate(value) + unit);
    }
    return grid + "\n";
}

// The charge of each run: while a bucket holds minutes, a line through
// each bucket's lowest and highest charge in their order; once buckets
// hold hours (a month or more of log), the band between them, with the
// lowest charges as the line: how deep the battery went.
template <typename X, typename Y>
std::string ChargeLines(const ChargeSeries& series, X x, Y y) {
    std::vector<std::vector<const ChargeBucket*>> runs;
    for (const ChargeBucket& bucket : series.Buckets()) {
        if (bucket.any) {
            if (bucket.startsRun || runs.empty()) {
                runs.emplace_back();
            }
            runs.back().push_back(&bucket);
        }
    }
    bool band = series.Width() >= 3600;
    std::string svg;
    for (const std::vector<const ChargeBucket*>& run : runs) {
        std::string line, highs, lows;
        for (const ChargeBucket* bucket : run) {
            if (band) {
                std::string at = Coordinate(x(static_cast<double>(
                    bucket->lowAt / series.Width() * series.Width() + series.Width() / 2)));
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
        svg += "<polyline class=\"charge\" points=\"" + line + "\"/>\n";
    }
    return svg;
}

}  // namespace

const double kChartLeft = kLeft, kChartRight = kRight, kChartTop = kTop, kChartBottom = kBottom;

std::string SvgOpen(const char* id, int width, int height, const std::string& label) {
    return Open(id, width, height, label);
}

std::string SvgText(double x, double y, const std::string& anchor, const std::string& text) {
    return Text(x, y, anchor, text);
}

std::string SvgLine(double x1, double y1, double x2, double y2, const char* cssClass) {
    return Line(x1, y1, x2, y2, cssClass);
}

std::string SvgGrid(double top, double step, const char* unit) {
    return Grid(top, step, unit);
}

double TickStep(double span, double ticks, const std::vector<double>& steps) {
    return Step(span, ticks, steps);
}

std::string Coordinate(double value) {
    std::string text = FormatFixed(value, 1);
    return text.size() > 2 && text.substr(text.size() - 2) == ".0" ? text.substr(0, text.size() - 2)
                                                                   : text;
}

std::string ChargeChart(const LogSummary& summary) {
    const ChargeSeries& series = summary.Charge();
    double span =
        std::max<double>(1, static_cast<double>(summary.Last().elapsed - series.Origin()));
    auto x = [&](double elapsed) {
        return kLeft + (elapsed - series.Origin()) / span * (kRight - kLeft);
    };
    auto y = [&](int charge) { return kBottom - charge / 100.0 * (kBottom - kTop); };
    std::string svg =
        Open("charge-chart", 960, 276, "Charge over the whole log") + Grid(100, 25, "%");
    // Mains: runs of buckets that spent at least half their time on mains.
    const std::vector<ChargeBucket>& buckets = series.Buckets();
    double width = static_cast<double>(series.Width());
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
    for (const Session& session : summary.Sessions()) {
        double from = x(static_cast<double>(session.start.elapsed));
        svg += Rect("session", from, kBottom + 6,
                    x(static_cast<double>(session.end.elapsed)) - from, 8,
                    FormatMinute(session.start.shown) + ", " +
                        FormatDuration(static_cast<double>(session.seconds)) + " on battery") +
               "\n";
    }
    svg += ChargeLines(series, x, y);
    // Time ticks on whole hours, days or weeks of the log's own clock.
    double start = static_cast<double>(SecondsOf(summary.First().shown));
    double step =
        Step(span, 8, {3600, 7200, 21600, 43200, 86400, 172800, 604800, 1209600, 2419200});
    for (double tick = ceil(start / step) * step; tick <= start + span; tick += step) {
        std::string label = FormatIsoTime(CivilFromSeconds(static_cast<int64_t>(tick)));
        label = step < 86400 ? label.substr(5, 5) + " " + label.substr(11, 5) : label.substr(0, 10);
        double at = x(tick - start + series.Origin());
        svg += Line(at, kBottom, at, kBottom + 4, "axis") + Text(at, kBottom + 30, "middle", label);
    }
    return svg + "\n</svg>";
}

std::string EstimateChart(const LogSummary& summary) {
    const std::vector<EstimatePoint>& points = summary.Estimates();
    if (points.empty()) {
        return "<p id=\"estimate-chart\">No remaining times to compare: that takes a session whose "
               "charge "
               "fell by 5 points or more after the time was shown.</p>";
    }
    double top = 1;
    for (const EstimatePoint& point : points) {
        top = std::max({top, point.realisedSeconds / 3600, point.shownSeconds / 3600});
    }
    double step = Step(std::min(24.0, top), 6, {0.5, 1, 2, 3, 4, 6});
    top = std::min(24.0, ceil(top / step) * step);
    const double left = 48, right = 456, upper = 12, lower = 432;
    auto x = [&](double seconds) {
        return left + std::min(seconds / 3600, top) / top * (right - left);
    };
    auto y = [&](double seconds) {
        return lower - std::min(seconds / 3600, top) / top * (lower - upper);
    };
    std::string svg =
        Open("estimate-chart", 480, 476, "Remaining time shown against the time borne out");
    for (double value = 0; value <= top + 1e-9; value += step) {
        svg += Line(left, y(value * 3600), right, y(value * 3600), "grid") +
               Line(x(value * 3600), upper, x(value * 3600), lower, "grid") +
               Text(left - 6, y(value * 3600) + 4, "end", Coordinate(value) + " h") +
               Text(x(value * 3600), lower + 18, "middle", Coordinate(value) + " h") + "\n";
    }
    svg += Line(x(0), y(0), x(top * 3600), y(top * 3600), "diagonal") + "\n";
    for (const EstimatePoint& point : points) {
        svg += "<circle class=\"estimate\" cx=\"" + Coordinate(x(point.realisedSeconds)) +
               "\" cy=\"" + Coordinate(y(point.shownSeconds)) + "\" r=\"2.5\"/>";
    }
    svg += "\n" + Text((left + right) / 2, lower + 40, "middle", "borne out");
    return svg + "<text transform=\"rotate(-90)\" x=\"" + Coordinate(-(upper + lower) / 2) +
           "\" y=\"12\" text-anchor=\"middle\">shown</text>\n</svg>";
}

std::string DrainChart(const LogSummary& summary) {
    std::map<int64_t, DayDrain> groups = summary.DrainByDay();
    if (groups.empty()) {
        return "<p id=\"drain-chart\">No sessions on battery.</p>";
    }
    bool byWeek = groups.rbegin()->first - groups.begin()->first > 400;
    if (byWeek) {
        std::map<int64_t, DayDrain> weeks;
        for (const auto& [day, drain] : groups) {
            DayDrain& week = weeks[day - WeekdayOf(day)];
            week.percent += drain.percent;
            week.seconds += drain.seconds;
        }
        groups = weeks;
    }
    int64_t first = groups.begin()->first, last = groups.rbegin()->first;
    int64_t stride = byWeek ? 7 : 1;
    double slots = static_cast<double>((last - first) / stride + 1);
    double top = 1;
    for (const auto& [day, drain] : groups) {
        top = std::max(top, drain.percent * 3600 / drain.seconds);
    }
    double step = Step(top, 5, {1, 2, 5, 10, 20, 25, 50});
    top = ceil(top / step) * step;
    std::string svg = Open("drain-chart", 960, 276, byWeek ? "Drain per week" : "Drain per day") +
                      Grid(top, step, "");
    double slot = (kRight - kLeft) / slots;
    int every = static_cast<int>(ceil(slots / 12));
    for (const auto& [day, drain] : groups) {
        double rate = drain.percent * 3600 / drain.seconds;
        double at = kLeft + static_cast<double>((day - first) / stride) * slot;
        double height = std::max(0.0, rate) / top * (kBottom - kTop);
        svg += Rect("drain", at + slot * 0.15, kBottom - height, slot * 0.7, height,
                    FormatIsoDate(day) + ": " + FormatFixed(rate, 1) + " %/h over " +
                        FormatDuration(drain.seconds)) +
               "\n";
    }
    for (int64_t index = 0; index < static_cast<int64_t>(slots); index += every) {
        svg += Text(kLeft + (index + 0.5) * slot, kBottom + 20, "middle",
                    FormatIsoDate(first + index * stride).substr(5));
    }
    return svg + "\n</svg>";
}
