#include "report/output/text_output.h"

#include "report/output/formatting.h"
#include "report/output/health_output.h"
#include "report/output/summary_tables.h"
#include "report/output/text_table.h"

namespace {

void WriteSessions(FILE* out, const LogSummary& summary) {
    WriteTable(out, SessionTable(summary), {-16, -11, 7, 7, 4, 4, 5, 8, 9, -5},
               {0, 1, 1, 1, 1, 1, 1, 1, 1, 2});
    if (summary.SessionCount() > static_cast<int64_t>(summary.Sessions().size())) {
        fprintf(out,
                "(the latest %zu of %lld sessions; --format=csv or --since lists the others)\n",
                summary.Sessions().size(), static_cast<long long>(summary.SessionCount()));
    }
    fprintf(out,
            "Asleep: the part of it the machine slept; %%/h: the drain while awake; Full: how\n"
            "long a full charge lasts at that drain (where it fell by 2 points or more);\n"
            "Estimates: the median error of the remaining times shown (+ said too long);\n"
            "Ended: ac when plugged in, cut when the log or run ended.\n");
}

void WriteTrend(FILE* out, const LogSummary& summary) {
    std::string median = MedianLine(summary);
    if (median.empty()) {
        return;
    }
    fprintf(out, "\n%s\n", median.c_str());
    Trend trend = MakeTrend(summary.DrainPeriods(), 14);
    fprintf(out, "By %s:\n", trend.byWeek ? "week" : "day");
    Table table = TrendTable(trend);
    WriteTable(out, table, {-10, 8, 5, 8, 8}, {0, 1, 1, 1, 2});
    if (table.header.size() > 4) {
        fprintf(out, "Charging: the median rate of the charges that ended then (%%/h).\n");
    }
}

void WriteReports(FILE* out, const LogSummary& summary) {
    if (summary.Reports() == 0) {
        fprintf(out, "No Tolvane reports in the log.\n");
        return;
    }
    double span = static_cast<double>(summary.Last().elapsed - summary.First().elapsed);
    fprintf(out, "From %s to %s (%s): %s, %s\n", FormatMinute(summary.First().shown).c_str(),
            FormatMinute(summary.Last().shown).c_str(), FormatDuration(span, true).c_str(),
            FormatCount(summary.Reports(), "report").c_str(),
            FormatCount(summary.Runs(), "run").c_str());
    fprintf(out, "On battery %s in %s, on mains %s",
            FormatDuration(static_cast<double>(summary.BatterySeconds()), true).c_str(),
            FormatCount(summary.SessionCount(), "session").c_str(),
            FormatDuration(static_cast<double>(summary.MainsSeconds()), true).c_str());
    if (summary.AsleepSeconds() > 0) {
        fprintf(out, "; asleep on battery %s",
                FormatDuration(static_cast<double>(summary.AsleepSeconds()), true).c_str());
    }
    fprintf(out, "\n\n");
    if (summary.SessionCount() == 0) {
        fprintf(out, "No sessions on battery.\n");
        return;
    }
    WriteSessions(out, summary);
    WriteTrend(out, summary);
}

}  // namespace

void WriteTextSummary(FILE* out, const MachineLog& machine) {
    WriteReports(out, machine.Summary());
    if (machine.Summary().Reports() > 0) {
        WriteDayText(out, machine);
    }
    std::optional<Drain> recent = machine.Summary().LastDays();
    std::string health = HealthSummaryText(
        machine.Health(), recent ? std::optional<double>(recent->percentPerHour) : std::nullopt);
    if (!health.empty()) {
        fprintf(out, "\n%s", health.c_str());
    }
}

void WriteFleetText(FILE* out, const std::vector<const MachineLog*>& machines) {
    FleetTable fleet = MakeFleetTable(machines);
    for (std::vector<std::string>& row : fleet.table.rows) {
        row[0] = CutTo(row[0], 16);  // the host: its section below gives it whole
    }
    fprintf(out, "%s\n\n", fleet.caption.c_str());
    const std::vector<int> widths =
        FitWidths(fleet.table, {-16, -10, -10, 8, -15, 5, 8, 5, 8, 7, 9, 6, 6, 8});
    const std::vector<int> gaps = {0, 1, 1, 1, 2, 2, 1, 2, 1, 2, 2, 2, 2, 2};
    // Over the two pairs of %/h and Full columns.
    int at = 0;
    for (size_t i = 0; i < 5; i++) {
        at += (widths[i] < 0 ? -widths[i] : widths[i]) + gaps[i];
    }
    fprintf(out, "%*s%-15s%s\n", at + gaps[5], "", "Last 30 days", "First 30 days");
    WriteTable(out, fleet.table, widths, gaps);
    fprintf(out,
            "%%/h and Full: the median drain of the sessions that drained 2 points or more,\n"
            "and how long a full charge lasts at it; Change: of that full runtime, from the\n"
            "first 30 days to the last (where 60 days or more lie between their starts);\n"
            "Health: the latest full charge capacity against design, where the log has it;\n"
            "Asleep: the median drain asleep on battery (%%/h); Charging: the change of the\n"
            "median charge rate from the first 30 days to the last.\n");
    for (size_t index : fleet.order) {
        fprintf(out, "\n== %s ==\n", machines[index]->Host().c_str());
        WriteTextSummary(out, *machines[index]);
    }
}
