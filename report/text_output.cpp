#include "report/text_output.h"

#include <math.h>

#include <vector>

#include "report/csv_output.h"
#include "report/sessions.h"

namespace {

const char* const kRow = "%-16s %-11s %7s %4s %4s %5s %8s %9s  %s\n";

std::string PercentText(int value) {
    return value < 0 ? "-" : std::to_string(value) + "%";
}

// The end of a session: its time alone on the day it began.
std::string EndText(const Session& session) {
    std::string end = FormatMinute(session.end.shown);
    return DayOf(session.end.shown) == DayOf(session.start.shown) ? end.substr(11) : end.substr(5);
}

void WriteSessions(FILE* out, const LogSummary& summary) {
    fprintf(out, kRow, "Start", "End", "Length", "From", "To", "%/h", "Full", "Estimates", "Ended");
    for (const Session& session : summary.Sessions()) {
        fprintf(
            out, kRow, FormatMinute(session.start.shown).c_str(), EndText(session).c_str(),
            FormatDuration(static_cast<double>(session.seconds)).c_str(),
            PercentText(session.fromPercent).c_str(), PercentText(session.toPercent).c_str(),
            session.percentPerHour ? FormatFixed(*session.percentPerHour, 1).c_str() : "-",
            session.fullRuntimeSeconds ? FormatDuration(*session.fullRuntimeSeconds).c_str() : "-",
            session.estimateErrorPercent ? FormatError(*session.estimateErrorPercent).c_str() : "-",
            session.endedOnMains ? "ac" : "cut");
    }
    if (summary.SessionCount() > static_cast<int64_t>(summary.Sessions().size())) {
        fprintf(out,
                "(the latest %zu of %lld sessions; --format=csv or --since lists the others)\n",
                summary.Sessions().size(), static_cast<long long>(summary.SessionCount()));
    }
    fprintf(out,
            "%%/h: the drain; Full: how long a full charge lasts at that drain (where it fell\n"
            "by 2 points or more); Estimates: the median error of the remaining times shown\n"
            "(+ said too long); Ended: ac when plugged in, cut when the log or run ended.\n");
}

void WriteTrend(FILE* out, const LogSummary& summary) {
    std::vector<double> drains, runtimes;
    for (const Session& session : summary.Sessions()) {
        if (session.fullRuntimeSeconds) {
            drains.push_back(*session.percentPerHour);
            runtimes.push_back(*session.fullRuntimeSeconds);
        }
    }
    if (drains.empty()) {
        return;
    }
    size_t counted = drains.size();
    fprintf(out, "\nMedian over %zu session%s that drained 2 points or more: %s %%/h, full %s.\n",
            counted, counted == 1 ? "" : "s", FormatFixed(*Median(&drains), 1).c_str(),
            FormatDuration(*Median(&runtimes)).c_str());
    Trend trend = MakeTrend(summary.Sessions(), 14);
    fprintf(out, "By %s:\n", trend.byWeek ? "week" : "day");
    fprintf(out, "%-10s %8s %5s %8s\n", trend.byWeek ? "Week of" : "Day", "Sessions", "%/h",
            "Full");
    for (const TrendRow& row : trend.rows) {
        fprintf(out, "%-10s %8d %5s %8s\n", FormatIsoDate(row.firstDay).c_str(), row.sessions,
                FormatFixed(row.percentPerHour, 1).c_str(),
                FormatDuration(row.fullRuntimeSeconds).c_str());
    }
}

}  // namespace

std::string FormatDuration(double seconds, bool days) {
    long long minutes = llround(seconds / 60);
    char text[64];
    if (days && minutes >= 24 * 60) {
        snprintf(text, sizeof text, "%lld day%s %lldh %02lldm", minutes / 1440,
                 minutes / 1440 == 1 ? "" : "s", minutes / 60 % 24, minutes % 60);
    } else {
        snprintf(text, sizeof text, "%lldh %02lldm", minutes / 60, minutes % 60);
    }
    return text;
}

std::string FormatCount(int64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string FormatMinute(const CivilTime& time) {
    return FormatIsoTime(time).substr(0, 16).replace(10, 1, " ");
}

std::string FormatError(double percent) {
    std::string text = FormatFixed(percent, 1);
    return (text[0] == '-' || text == "0.0" ? text : "+" + text) + "%";
}

void WriteTextSummary(FILE* out, const LogSummary& summary) {
    if (summary.Reports() == 0) {
        fprintf(out, "No Tolvane reports in the log.\n");
        return;
    }
    double span = static_cast<double>(summary.Last().elapsed - summary.First().elapsed);
    fprintf(out, "From %s to %s (%s): %s, %s\n", FormatMinute(summary.First().shown).c_str(),
            FormatMinute(summary.Last().shown).c_str(), FormatDuration(span, true).c_str(),
            FormatCount(summary.Reports(), "report").c_str(),
            FormatCount(summary.Runs(), "run").c_str());
    fprintf(out, "On battery %s in %s, on mains %s\n\n",
            FormatDuration(static_cast<double>(summary.BatterySeconds()), true).c_str(),
            FormatCount(summary.SessionCount(), "session").c_str(),
            FormatDuration(static_cast<double>(summary.MainsSeconds()), true).c_str());
    if (summary.SessionCount() == 0) {
        fprintf(out, "No sessions on battery.\n");
        return;
    }
    WriteSessions(out, summary);
    WriteTrend(out, summary);
}
