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

// Watt-hours where every battery gives them, else percent of design.
std::string Chart(const std::vector<const HealthSeries*>& all) {
    bool wattHours = std::all_of(all.begin(), all.end(),
                                 [](const HealthSeries* series) { return series->designWh; });
    // A health that is not plausible is a broken gauge's figure: on either
    // scale it would flatten the rest.
    auto value = [&](const HealthSeries& series,
                     const HealthPoint& point) -> std::optional<double> {
        if (ImplausibleHealthOf(series, point)) {
            return std::nullopt;
        }
        return wattHours ? point.fullWh : HealthOf(series, point);
    };
    int64_t from = INT64_MAX, to = INT64_MIN;
    double top = wattHours ? 1 : 100;
    for (const HealthSeries* series : all) {
        from = std::min(from, series->first.instant);
        to = std::max(to, series->latest.instant);
        top = std::max(top, wattHours ? *series->designWh : 100.0);
        for (const HealthPoint& point : series->points.Items()) {
            top = std::max(top, value(*series, point).value_or(0));
        }
    }
    top = std::min(top, wattHours ? 1e6 : 1000.0);  // a garbage figure must not flatten the rest
    double step = svg::Step(top * 1.1, 5, {1, 2, 5, 10, 20, 25, 50, 100, 200, 500});
    top = ceil(top * 1.1 / step) * step;
    double span = std::max<double>(86400, static_cast<double>(to - from));
    auto x = [&](int64_t instant) {
        return svg::kLeft + static_cast<double>(instant - from) / span * (svg::kRight - svg::kLeft);
    };
    auto y = [&](double figure) {
        return svg::kBottom - std::min(figure, top) / top * (svg::kBottom - svg::kTop);
    };
    std::string svg =
        svg::Open("capacity-chart", 960, 276, "Full charge capacity against design over time") +
        svg::Grid(top, step, wattHours ? " Wh" : "%");
    for (size_t i = 0; i < all.size(); i++) {
        const HealthSeries& series = *all[i];
        const char* colour = kColours[i % (sizeof kColours / sizeof kColours[0])];
        double design = wattHours ? *series.designWh : 100.0;
        svg += "<line x1=\"" + Coordinate(x(series.first.instant)) + "\" y1=\"" +
               Coordinate(y(design)) + "\" x2=\"" + Coordinate(x(series.latest.instant)) +
               "\" y2=\"" + Coordinate(y(design)) + "\" stroke=\"" + colour +
               "\" stroke-dasharray=\"5 4\"><title>" + Label(series) + ": design</title></line>\n";
        std::vector<HealthPoint> points = series.points.Items();
        std::sort(points.begin(), points.end(),
                  [](const HealthPoint& a, const HealthPoint& b) { return a.instant < b.instant; });
        std::string line;
        for (const HealthPoint& point : points) {
            if (std::optional<double> figure = value(series, point)) {
                line += Coordinate(x(point.instant)) + "," + Coordinate(y(*figure)) + " ";
            }
        }
        if (std::optional<double> latest = value(series, series.latest)) {
            svg += "<circle cx=\"" + Coordinate(x(series.latest.instant)) + "\" cy=\"" +
                   Coordinate(y(*latest)) + "\" r=\"3\" fill=\"" + colour + "\"/>";
        }
        svg += "<polyline fill=\"none\" stroke-width=\"2\" stroke=\"" + std::string(colour) +
               "\" points=\"" + line + "\"><title>" + Label(series) +
               ": full charge capacity</title></polyline>\n";
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
        "<section><h2>Battery capacity</h2>\n<p>The full charge capacity of each battery as its "
        "readings in the log gave it (solid) against its design capacity (dashed). A battery "
        "replaced is a line of its own.</p>\n<p class=\"key\">" +
        key + "</p>\n" + Chart(all) + "\n" + NotPlausibleNote(all);
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
