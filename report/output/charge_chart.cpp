// The charge over the whole log, the stretches on mains and asleep, and
// the sessions on battery below it.
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
    // Asleep on battery: runs of buckets with a sleep in them, hatched from
    // the first moment asleep to the last.
    svg += "<defs><pattern id=\"asleep-hatch\" width=\"6\" height=\"6\" "
           "patternUnits=\"userSpaceOnUse\" patternTransform=\"rotate(45)\"><line class=\"hatch\" "
           "x1=\"0\" y1=\"0\" x2=\"0\" y2=\"6\"/></pattern></defs>\n";
    for (size_t i = 0; i < buckets.size(); i++) {
        if (buckets[i].asleepSeconds <= 0) {
            continue;
        }
        int64_t from = buckets[i].asleepFrom, to = buckets[i].asleepTo;
        double seconds = 0;
        for (; i < buckets.size() && buckets[i].asleepSeconds > 0; i++) {
            to = std::max(to, buckets[i].asleepTo);
            seconds += buckets[i].asleepSeconds;
        }
        svg += "<rect class=\"asleep\" fill=\"url(#asleep-hatch)\" x=\"" +
               Coordinate(x(static_cast<double>(from))) + "\" y=\"" + Coordinate(kTop) +
               "\" width=\"" + Coordinate(std::max(0.5, x(static_cast<double>(to)) - x(static_cast<double>(from)))) +
               "\" height=\"" + Coordinate(kBottom - kTop) + "\"><title>" +
               FormatDuration(seconds) + " asleep on battery</title></rect>\n";
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
