#include "report/fleet_table.h"

#include <math.h>

#include <algorithm>
#include <optional>

#include "report/formatting.h"

namespace {

// Machines whose sessions span this long have a wear trend: their first
// and last 30 days don't overlap.
const double kTrendDays = 60;

struct Row {
    size_t index;
    std::optional<Drain> last;
    std::optional<Drain> first;
    std::optional<double> change;  // of the full runtime, in percent
};

std::string DrainText(const std::optional<Drain>& drain) {
    return drain ? FormatFixed(drain->percentPerHour, 1) : "";
}

std::string FullText(const std::optional<Drain>& drain) {
    return drain ? FormatDuration(drain->fullRuntimeSeconds) : "";
}

}  // namespace

FleetTable MakeFleetTable(const std::vector<const MachineLog*>& machines) {
    std::vector<Row> rows;
    for (size_t i = 0; i < machines.size(); i++) {
        const LogSummary& summary = machines[i]->Summary();
        Row row{i, summary.LastDays(), summary.FirstDays(), std::nullopt};
        if (row.last && row.first && summary.SessionSpanDays() >= kTrendDays) {
            row.change =
                (row.last->fullRuntimeSeconds / row.first->fullRuntimeSeconds - 1) * 100;
        }
        rows.push_back(row);
    }
    // The largest loss of runtime first; then the machines without a trend,
    // the shortest runtime first; then those that never drained.
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        if (a.change.has_value() != b.change.has_value()) {
            return a.change.has_value();
        }
        if (a.change) {
            return *a.change < *b.change;
        }
        if (a.last.has_value() != b.last.has_value()) {
            return a.last.has_value();
        }
        if (a.last) {
            return a.last->fullRuntimeSeconds < b.last->fullRuntimeSeconds;
        }
        return machines[a.index]->Host() < machines[b.index]->Host();
    });
    FleetTable fleet;
    fleet.caption = FormatCount(static_cast<int64_t>(machines.size()), "machine") +
                    ": the largest loss of full runtime first, then the shortest runtime.";
    fleet.table.header = {"Host", "First", "Last",   "Sessions",  "On battery", "%/h",
                          "Full", "%/h",   "Full",   "Change",    "Estimates",  "Health"};
    for (const Row& row : rows) {
        const LogSummary& summary = machines[row.index]->Summary();
        std::optional<double> error = summary.MedianEstimateError();
        fleet.order.push_back(row.index);
        fleet.table.rows.push_back(
            {machines[row.index]->Host().empty() ? "(tee log)" : machines[row.index]->Host(),
             FormatIsoTime(summary.First().shown).substr(0, 10),
             FormatIsoTime(summary.Last().shown).substr(0, 10),
             std::to_string(summary.SessionCount()),
             FormatDuration(static_cast<double>(summary.BatterySeconds()), true),
             DrainText(row.last), FullText(row.last), DrainText(row.first), FullText(row.first),
             row.change ? FormatError(*row.change) : "", error ? FormatError(*error) : "",
             LatestHealthText(machines[row.index]->Health())});
    }
    return fleet;
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
