#include "report/summary_tables.h"

#include "report/formatting.h"

namespace {

std::string PercentText(int value) {
    return value < 0 ? "" : std::to_string(value) + "%";
}

}  // namespace

Table SessionTable(const LogSummary& summary) {
    Table table;
    table.header = {"Start", "End",  "Length",    "Asleep", "From",
                    "To",    "%/h",  "Full",      "Estimates", "Ended"};
    for (const Session& session : summary.Sessions()) {
        std::string end = FormatMinute(session.end.shown);
        if (DayOf(session.end.shown) == DayOf(session.start.shown)) {
            end = end.substr(11);
        } else if (session.end.shown.year == session.start.shown.year) {
            end = end.substr(5);
        }
        table.rows.push_back(
            {FormatMinute(session.start.shown), end,
             FormatDuration(static_cast<double>(session.seconds)),
             session.asleepSeconds > 0 ? FormatDuration(static_cast<double>(session.asleepSeconds))
                                       : "",
             PercentText(session.fromPercent), PercentText(session.toPercent),
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
    for (const TrendRow& row : trend.rows) {
        table.rows.push_back({FormatIsoDate(row.firstDay), std::to_string(row.drain.sessions),
                              FormatFixed(row.drain.percentPerHour, 1),
                              FormatDuration(row.drain.fullRuntimeSeconds)});
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
