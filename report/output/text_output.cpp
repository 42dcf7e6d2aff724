#include "report/output/text_output.h"

#include "report/output/formatting.h"
#include "report/output/health_output.h"
#include "report/output/summary_tables.h"

namespace {

// The characters of UTF-8 text, as a terminal lays them out (one column
// each, the common case).
size_t Characters(const std::string& text) {
    size_t count = 0;
    for (char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return count;
}

// `text` in at most `width` characters (one or more): a longer one cut
// after whole characters, an ellipsis last.
std::string CutTo(const std::string& text, size_t width) {
    if (Characters(text) <= width) {
        return text;
    }
    size_t at = 0;
    for (size_t kept = 0; at < text.size(); at++) {
        bool starts = (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
        if (starts && kept == width - 1) {
            break;
        }
        kept += starts;
    }
    return text.substr(0, at) + "\xE2\x80\xA6";
}

// The widths given (negative: left-aligned), each widened to the widest
// cell of its column, so that a figure too long for its column (a session
// of 27 years, after a clock set right) moves its whole column, not the
// rest of its row.
std::vector<int> FitWidths(const Table& table, std::vector<int> widths) {
    auto fit = [&](const std::vector<std::string>& cells) {
        for (size_t i = 0; i < cells.size() && i < widths.size(); i++) {
            int size = static_cast<int>(Characters(cells[i]));
            if (size > (widths[i] < 0 ? -widths[i] : widths[i])) {
                widths[i] = widths[i] < 0 ? -size : size;
            }
        }
    };
    fit(table.header);
    for (const std::vector<std::string>& cells : table.rows) {
        fit(cells);
    }
    return widths;
}

// A table in columns of at least the widths given (see FitWidths), a gap of
// `gaps[i]` spaces before column i; a cell with no value shows "-".
void WriteTable(FILE* out, const Table& table, const std::vector<int>& given,
                const std::vector<int>& gaps) {
    const std::vector<int> widths = FitWidths(table, given);
    auto row = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (size_t i = 0; i < cells.size(); i++) {
            std::string cell = cells[i].empty() ? "-" : cells[i];
            size_t width = static_cast<size_t>(widths[i] < 0 ? -widths[i] : widths[i]);
            size_t shown = Characters(cell);
            std::string pad(shown < width ? width - shown : 0, ' ');
            line += std::string(i == 0 ? 0 : static_cast<size_t>(gaps[i]), ' ') +
                    (widths[i] < 0 ? cell + pad : pad + cell);
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        fprintf(out, "%s\n", line.c_str());
    };
    row(table.header);
    for (const std::vector<std::string>& cells : table.rows) {
        row(cells);
    }
}

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
    WriteTable(out, TrendTable(trend), {-10, 8, 5, 8}, {0, 1, 1, 1});
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
        FitWidths(fleet.table, {-16, -10, -10, 8, -15, 5, 8, 5, 8, 7, 9, 6});
    const std::vector<int> gaps = {0, 1, 1, 1, 2, 2, 1, 2, 1, 2, 2, 2};
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
            "Health: the latest full charge capacity against design, where the log has it.\n");
    for (size_t index : fleet.order) {
        fprintf(out, "\n== %s ==\n", machines[index]->Host().c_str());
        WriteTextSummary(out, *machines[index]);
    }
}
