// The page's section on the batteries' health: full charge capacity
// against design over the whole log, one line per battery.
#include <math.h>

#include <algorithm>

#include "report/output/battery_output.h"
#include "report/output/formatting.h"
#include "report/output/health_output.h"
#include "report/output/html_page.h"
#include "report/output/svg_shapes.h"

namespace {

const char* const kColours[] = {"#1f5fa8", "#c0392b", "#2e8b57", "#8e44ad",
                                "#d35400", "#16a085", "#7f8c8d", "#b7950b"};

std::string Label(const HealthSeries& series) {
    std::string about = series.manufacturer;
    about += (about.empty() || series.model.empty() ? "" : " ") + series.model;
    std::string name = series.name.empty() ? "battery" : series.name;
    return EscapeHtml(about.empty() ? name : name + " (" + about + ")");
}

// A dashed line with its title (HTML).
std::string Dashed(const char* cssClass, double x1, double y1, double x2, double y2,
                   const char* colour, const char* dashes, int width, const std::string& title) {
    return "<line class=\"" + std::string(cssClass) + "\" x1=\"" + Coordinate(x1) + "\" y1=\"" +
           Coordinate(y1) + "\" x2=\"" + Coordinate(x2) + "\" y2=\"" + Coordinate(y2) +
           "\" stroke=\"" + colour + "\" stroke-width=\"" + std::to_string(width) +
           "\" stroke-dasharray=\"" + dashes + "\"><title>" + title + "</title></line>\n";
}

// The points of a series' line in time order: its kept points, and its
// first and latest readings where the thinning dropped them.
std::vector<HealthPoint> Drawn(const HealthSeries& series) {
    std::vector<HealthPoint> points = series.points.Items();
    points.push_back(series.first);
    points.push_back(series.latest);
    auto earlier = [](const HealthPoint& a, const HealthPoint& b) { return a.instant < b.instant; };
    std::stable_sort(points.begin(), points.end(), earlier);
    points.erase(std::unique(points.begin(), points.end(),
                             [](const HealthPoint& a, const HealthPoint& b) {
                                 return a.instant == b.instant;
                             }),
                 points.end());
    return points;
}

// The health (percent of design) of every battery on a scale that spans
// its readings, design (100 %) and 80 %, with a little room: from 0 a loss
// of 5 % would be a flat line. A health that is not plausible is a broken
// gauge's figure, left out. Where a battery's health is falling, a dashed
// line goes on from its latest reading to the date it reaches 80 %.
std::string Chart(const std::vector<const HealthSeries*>& all) {
    std::vector<HealthProjection> headed;
    int64_t from = INT64_MAX, to = INT64_MIN;
    double low = HealthProjection::kThreshold, high = 100;
    for (const HealthSeries* series : all) {
        from = std::min(from, series->first.instant);
        to = std::max(to, series->latest.instant);
        for (const HealthPoint& point : Drawn(*series)) {
            double health = HealthOf(*series, point).value_or(high);
            low = std::min(low, health);
            high = std::max(high, health);
        }
        headed.push_back(ProjectHealth(*series));
        if (headed.back().outcome == HealthProjection::Outcome::kReaches) {
            to = std::max(to, headed.back().at);
        }
    }
    double room = (high - low) * 0.05;
    double step = svg::Step(high - low + 2 * room, 6, {1, 2, 5, 10, 20, 25, 50});
    double bottom = std::max(0.0, floor((low - room) / step) * step);
    double top = ceil((high + room) / step) * step;
    double span = std::max<double>(86400, static_cast<double>(to - from));
    auto x = [&](int64_t instant) {
        return svg::kLeft + static_cast<double>(instant - from) / span * (svg::kRight - svg::kLeft);
    };
    auto y = [&](double health) {
        return svg::kBottom - (health - bottom) / (top - bottom) * (svg::kBottom - svg::kTop);
    };
    const double threshold = y(HealthProjection::kThreshold);
    std::string svg =
        svg::Open("capacity-chart", 960, 276, "Health against design over time") +
        svg::Grid(top, step, "%", bottom) +
        Dashed("threshold", svg::kLeft, threshold, svg::kRight, threshold, "#555", "2 3", 1,
               "80 %: a common threshold for a replacement") +
        svg::Text(svg::kLeft + 4, threshold - 5, "start", "80 %") + "\n";
    for (size_t i = 0; i < all.size(); i++) {
        const HealthSeries& series = *all[i];
        const char* colour = kColours[i % (sizeof kColours / sizeof kColours[0])];
        svg += Dashed("design", x(series.first.instant), y(100), x(series.latest.instant), y(100),
                      colour, "5 4", 1, Label(series) + ": design");
        std::string line;
        for (const HealthPoint& point : Drawn(series)) {
            if (std::optional<double> health = HealthOf(series, point)) {
                line += Coordinate(x(point.instant)) + "," + Coordinate(y(*health)) + " ";
            }
        }
        if (std::optional<double> latest = HealthOf(series, series.latest)) {
            svg += "<circle cx=\"" + Coordinate(x(series.latest.instant)) + "\" cy=\"" +
                   Coordinate(y(*latest)) + "\" r=\"3\" fill=\"" + colour + "\"/>";
        }
        svg += "<polyline fill=\"none\" stroke-width=\"2\" stroke=\"" + std::string(colour) +
               "\" points=\"" + line + "\"><title>" + Label(series) +
               ": health</title></polyline>\n";
        const HealthProjection& projection = headed[i];
        if (projection.outcome == HealthProjection::Outcome::kReaches) {
            svg += Dashed("projection", x(projection.fromInstant), y(projection.fromHealth),
                          x(projection.at), threshold, colour, "8 5", 2,
                          Label(series) + ": " + EscapeHtml(ProjectionText(projection)));
        }
    }
    // Date ticks on whole days, weeks or months from the first reading.
    const HealthSeries* earliest =
        *std::min_element(all.begin(), all.end(), [](const HealthSeries* a, const HealthSeries* b) {
            return a->first.instant < b->first.instant;
        });
    double tick = svg::Step(span, 8, {86400, 7 * 86400, 28 * 86400, 91 * 86400, 364 * 86400});
    // Each label is 70 units wide: none runs past the chart's edge.
    for (double at = 0; x(from + static_cast<int64_t>(at)) <= svg::kRight - 35; at += tick) {
        int64_t instant = from + static_cast<int64_t>(at);
        CivilTime shown = CivilFromSeconds(SecondsOf(earliest->first.shown) +
                                           (instant - earliest->first.instant));
        svg += svg::Line(x(instant), svg::kBottom, x(instant), svg::kBottom + 4, "axis") +
               svg::Text(x(instant), svg::kBottom + 20, "middle", FormatIsoDate(DayOf(shown)));
    }
    return svg + "\n</svg>";
}

// What the chart and the figures leave out as not plausible.
std::string NotPlausibleNote(const std::vector<const HealthSeries*>& all) {
    std::string note;
    for (const HealthSeries* series : all) {
        bool any = ImplausibleHealthOf(*series, series->first).has_value();
        for (const HealthPoint& point : series->points.Items()) {
            any = any || ImplausibleHealthOf(*series, point);
        }
        if (std::optional<double> wrong = ImplausibleHealthOf(*series, series->latest)) {
            note += Label(*series) + ": its latest reading " +
                    EscapeHtml(NotPlausibleText(series->latest.fullWh, series->designWh, *wrong)) +
                    ". ";
        } else if (any) {
            note += Label(*series) + ": some of its readings not plausible. ";
        }
    }
    return note.empty() ? ""
                        : "<p>" + note +
                              "A health below 20 % or above 150 % is a broken gauge's figure, "
                              "not wear: such readings are left out of the chart and the "
                              "figures.</p>\n";
}

}  // namespace

std::string HealthHtmlSection(const HealthHistory& history,
                              std::optional<double> drainPercentPerHour) {
    std::string setAside = SetAsideText(history);
    if (history.Empty()) {
        return setAside.empty() ? ""
                                : "<section><h2>Battery capacity</h2>\n<p>" +
                                      EscapeHtml(setAside) + "</p>\n</section>\n";
    }
    std::vector<const HealthSeries*> all = history.Series();
    std::string key;
    for (size_t i = 0; i < all.size(); i++) {
        key += "<span style=\"background:" +
               std::string(kColours[i % (sizeof kColours / sizeof kColours[0])]) + "\"></span>" +
               Label(*all[i]);
    }
    std::string section =
        "<section><h2>Battery capacity</h2>\n<p>The health of each battery, its full charge "
        "capacity as a percent of its design capacity, as its readings in the log gave it "
        "(solid), against the design (dashed) and 80 % (dotted), a common threshold for a "
        "replacement. Where the health is falling, a dashed line goes on at the rate of its last "
        "180 days to the date it reaches 80 %. A battery replaced is a line of its own.</p>\n"
        "<p class=\"key\">" +
        key + "</p>\n" + Chart(all) + "\n" + NotPlausibleNote(all);
    std::string headed;
    for (const HealthSeries* series : all) {
        std::string text = ProjectionText(ProjectHealth(*series));
        headed += text.empty() ? "" : (headed.empty() ? "" : " ") + Label(*series) + ": " +
                                          EscapeHtml(text) + ".";
    }
    section += headed.empty() ? "" : "<p>" + headed + "</p>\n";
    std::optional<double> health = CurrentHealth(history);
    if (health) {
        section += "<p>Health at the latest reading: " + FormatFixed(*health, 1) + " %" +
                   (*health > 100 ? " (a new battery may read a little over 100 %)" : "") +
                   ".</p>\n";
    }
    std::string estimate = HealthEstimateText(history, drainPercentPerHour);
    if (!estimate.empty()) {
        section += "<p>" + EscapeHtml(estimate) + "</p>\n";
    }
    if (!setAside.empty()) {
        section += "<p>" + EscapeHtml(setAside) + "</p>\n";
    }
    return section + "</section>\n";
}
