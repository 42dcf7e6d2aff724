#include "report/output/day_tables.h"

#include <map>

#include "report/output/formatting.h"

namespace {

std::string Length(int64_t seconds) {
    return FormatDuration(static_cast<double>(seconds));
}

template <typename Row>
size_t FirstShown(const std::deque<Row>& rows, size_t shown) {
    return rows.size() > shown ? rows.size() - shown : 0;
}

}  // namespace

Table SleepTable(const SleepLog& sleeps, size_t rows) {
    Table table;
    table.header = {"Start", "End", "Length", "From", "To", "%/h", "Note"};
    const std::deque<SleepGap>& latest = sleeps.Latest();
    for (size_t i = FirstShown(latest, rows); i < latest.size(); i++) {
        const SleepGap& sleep = latest[i];
        std::optional<double> drain = SleepDrain(sleep);
        bool known = sleep.fromPercent >= 0 && sleep.toPercent >= 0;
        table.rows.push_back({FormatMinute(sleep.start.shown),
                              FormatEnd(sleep.start.shown, sleep.end.shown),
                              Length(sleep.to - sleep.from), FormatPercent(sleep.fromPercent),
                              FormatPercent(sleep.toPercent),
                              drain    ? FormatFixed(*drain, 2)
                              : known ? "<" + FormatFixed(SleepDrainBound(sleep), 2)
                                      : "",
                              DrainedFast(sleep) ? "fast" : ""});
    }
    return table;
}

std::string SleepLine(const SleepLog& sleeps, const LogSummary& summary) {
    if (sleeps.Count() == 0) {
        return "";
    }
    std::string line = FormatCount(sleeps.Count(), "sleep") + " on battery, " +
                       FormatDuration(static_cast<double>(sleeps.Seconds()), true) + " in all";
    std::vector<const Session*> sessions;
    for (const Session& session : summary.Sessions()) {
        sessions.push_back(&session);
    }
    std::optional<Drain> awake = MedianDrain(sessions);
    if (std::optional<double> asleep = sleeps.MedianDrain()) {
        line += ": a median " + FormatFixed(*asleep, 2) + " %/h asleep";
        if (awake) {
            line += " against " + FormatFixed(awake->percentPerHour, 1) + " %/h awake";
        }
    }
    line += ".";
    if (sleeps.FastCount() > 0) {
        line += "\n" + FormatCount(sleeps.FastCount(), "sleep") +
                " of 10 minutes or more drained faster than 2 %/h (fast): a suspend\n"
                "that costs that much keeps too much of the machine awake.";
    }
    return line;
}

Table ChargeTable(const ChargeLog& charges, size_t rows) {
    Table table;
    table.header = {"Start", "End", "Length", "From", "To", "%/h", "20-80%", "Ended"};
    const std::deque<Charge>& latest = charges.Latest();
    for (size_t i = FirstShown(latest, rows); i < latest.size(); i++) {
        const Charge& charge = latest[i];
        std::string rate;
        if (charge.percentPerHour) {
            rate = FormatFixed(*charge.percentPerHour, 1);
            if (charge.rateFrom != 20 || charge.rateTo != 80) {
                rate += " (" + std::to_string(charge.rateFrom) + "-" +
                        std::to_string(charge.rateTo) + "%)";
            }
        }
        const char* ended[] = {"full", "unplugged", "held", "cut"};
        std::string end = ended[static_cast<int>(charge.ended)];
        if (charge.ended == Charge::Ended::Held) {
            end += " at " + FormatPercent(charge.heldPercent);
        }
        table.rows.push_back({FormatMinute(charge.start.shown),
                              FormatEnd(charge.start.shown, charge.end.shown),
                              Length(charge.seconds), FormatPercent(charge.fromPercent),
                              FormatPercent(charge.toPercent), rate,
                              charge.seconds20To80 ? Length(*charge.seconds20To80) : "", end});
    }
    return table;
}

std::string ChargeLine(const ChargeLog& charges) {
    if (charges.Count() == 0) {
        return "";
    }
    std::string line = FormatCount(charges.Count(), "charge") + " on mains";
    if (std::optional<double> rate = charges.MedianRate()) {
        line += ": a median " + FormatFixed(*rate, 1) + " %/h";
    }
    return line + ".";
}

bool UsageByWeek(const LogSummary& summary, const UsageBook& usage) {
    const std::map<int64_t, DrainPeriod>& periods = summary.DrainPeriods();
    if (!periods.empty()) {
        return MakeTrend(periods, 1).byWeek;
    }
    const std::map<int64_t, DayUsage>& days = usage.Days();
    return !days.empty() && days.rbegin()->first - days.begin()->first >= 28;
}

Table UsageTable(const UsageBook& usage, bool byWeek, size_t rows) {
    Table table;
    table.header = {byWeek ? "Week of" : "Day", "On battery", "Asleep", "On mains", "Not logged"};
    std::map<int64_t, DayUsage> grouped;
    for (const auto& [first, day] : usage.Days()) {
        grouped[byWeek ? AlignedTo(first, std::max(day.days, 7)) : first].Add(day);
    }
    size_t skip = grouped.size() > rows ? grouped.size() - rows : 0;
    for (const auto& [first, day] : grouped) {
        if (skip > 0) {
            skip--;
            continue;
        }
        auto time = [](double seconds) { return seconds > 0 ? FormatDuration(seconds) : ""; };
        table.rows.push_back({FormatIsoDate(first), time(day.battery), time(day.asleep),
                              time(day.mains), time(day.unlogged)});
    }
    return table;
}
