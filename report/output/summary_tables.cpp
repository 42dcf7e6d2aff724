#include "report/output/summary_tables.h"

#include "report/figures/fleet.h"
#include "report/output/formatting.h"
#include "report/output/health_output.h"

namespace {

std::string DrainText(const std::optional<Drain>& drain) {
    return drain ? FormatFixed(drain->percentPerHour, 1) : "";
}

std::string FullText(const std::optional<Drain>& drain) {
    return drain ? FormatDuration(drain->fullRuntimeSeconds) : "";
}

}  // namespace

Table SessionTable(const LogSummary& summary) {
    Table table;
    table.header = {"Start", "End",  "Length",    "Asleep", "From",
                    "To",    "%/h",  "Full",      "Estimates", "Ended"};
    for (const Session& session : summary.Sessions()) {
        table.rows.push_back(
            {FormatMinute(session.start.shown), FormatEnd(session.start.shown, session.end.shown),
             FormatDuration(static_cast<double>(session.seconds)),
             session.asleepSeconds > 0 ? FormatDuration(static_cast<double>(session.asleepSeconds))
                                       : "",
             FormatPercent(session.fromPercent), FormatPercent(session.toPercent),
             session.percentPerHour ? FormatFixed(*session.percentPerHour, 1) : "",
             session.fullRuntimeSeconds ? FormatDuration(*session.fullRuntimeSeconds) : "",
             session.estimateErrorPercent ? FormatError(*session.estimateErrorPercent) : "",
             session.endedOnMains ? "ac" : "cut"});
    }
    return table;
}

Table TrendTable(const Trend& trend) {
    Table table;
    table.header = {trend.byWeek ? "Week of" : "Day", "Sessions", "%/h", "Full"};
    bool charging = false;
    for (const TrendRow& row : trend.rows) {
        table.rows.push_back({FormatIsoDate(row.firstDay),
                              row.drain ? std::to_string(row.drain->sessions) : "",
                              DrainText(row.drain), FullText(row.drain),
                              row.chargeRate ? FormatFixed(*row.chargeRate, 1) : ""});
        charging = charging || row.chargeRate;
    }
    // The charge rate only where the log has charges.
    if (charging) {
        table.header.push_back("Charging");
    } else {
        for (std::vector<std::string>& row : table.rows) {
            row.pop_back();
        }
    }
    return table;
}

std::string MedianLine(const LogSummary& summary) {
    std::vector<const Session*> sessions;
    for (const Session& session : summary.Sessions()) {
        sessions.push_back(&session);
    }
    std::optional<Drain> drain = MedianDrain(sessions);
    if (!drain) {
        return "";
    }
    return "Median over " + FormatCount(drain->sessions, "session") +
           " that drained 2 points or more: " + FormatFixed(drain->percentPerHour, 1) +
           " %/h, full " + FormatDuration(drain->fullRuntimeSeconds) + ".";
}

FleetTable MakeFleetTable(const std::vector<const MachineLog*>& machines) {
    FleetTable fleet;
    fleet.caption = FormatCount(static_cast<int64_t>(machines.size()), "machine") +
                    ": the largest loss of full runtime first, then the shortest runtime.";
    fleet.table.header = {"Host",   "First",     "Last",   "Sessions", "On battery",
                          "%/h",    "Full",      "%/h",    "Full",     "Change",
                          "Estimates", "Health", "Asleep", "Charging"};
    for (const FleetRow& row : FleetRows(machines)) {
        const LogSummary& summary = machines[row.index]->Summary();
        std::optional<double> error = summary.MedianEstimateError();
        std::optional<double> asleep = machines[row.index]->Sleeps().MedianDrain();
        std::optional<double> charging = machines[row.index]->Charges().RateChange();
        fleet.order.push_back(row.index);
        fleet.table.rows.push_back(
            {machines[row.index]->Host().empty() ? "(tee log)" : machines[row.index]->Host(),
             FormatIsoTime(summary.First().shown).substr(0, 10),
             FormatIsoTime(summary.Last().shown).substr(0, 10),
             std::to_string(summary.SessionCount()),
             FormatDuration(static_cast<double>(summary.BatterySeconds()), true),
             DrainText(row.last), FullText(row.last), DrainText(row.first), FullText(row.first),
             row.change ? FormatError(*row.change) : "", error ? FormatError(*error) : "",
             LatestHealthText(machines[row.index]->Health()),
             asleep ? FormatFixed(*asleep, 2) : "", charging ? FormatError(*charging) : ""});
    }
    return fleet;
}
