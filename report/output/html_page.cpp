#include "report/output/html_page.h"

#include "report/output/day_tables.h"
#include "report/output/formatting.h"
#include "report/output/html_table.h"
#include "report/output/health_output.h"
#include "report/output/summary_tables.h"
#include "report/output/svg_charts.h"

namespace {

const char* const kStyle = R"(<style>
body { font: 15px/1.45 system-ui, sans-serif; color: #1d1d1d; background: #fff;
       margin: 2em auto; max-width: 1000px; padding: 0 1em; }
h1 { font-size: 1.6em; margin-bottom: .2em; } h2 { font-size: 1.2em; margin-top: 1.8em; }
.lead { color: #555; margin-top: 0; }
dl { display: grid; grid-template-columns: max-content auto; gap: .2em 1.2em; }
dt { color: #555; } dd { margin: 0; }
svg { width: 100%; height: auto; font-size: 12px; fill: #333; }
[id^="estimate-chart"] { max-width: 400px; }
.grid { stroke: #e2e2e2; } .axis { stroke: #888; } .diagonal { stroke: #888; stroke-dasharray: 4 4; }
.charge { fill: none; stroke: #1f5fa8; stroke-width: 1.5; stroke-linejoin: round; }
.charge-dot { fill: #1f5fa8; }
.charge-range { fill: #1f5fa8; fill-opacity: .18; } .mains { fill: #dcefd5; }
.hatch { stroke: #7b5ea7; stroke-width: 2; } .on-battery { fill: #1f5fa8; } .unlogged { fill: #d4d4d4; }
.session { fill: #e08a1e; } .drain { fill: #1f5fa8; } .estimate { fill: #1f5fa8; fill-opacity: .55; }
.beyond { fill: none; stroke: #b3261e; stroke-width: 1.5; } .beyond-count { fill: #b3261e; }
svg.weekly-drain { width: 130px; height: 24px; fill: #1f5fa8; vertical-align: middle; }
.key span { display: inline-block; width: .9em; height: .9em; margin: 0 .3em 0 1em;
            vertical-align: -.1em; }
table { border-collapse: collapse; font-variant-numeric: tabular-nums; }
th, td { padding: .2em .7em; text-align: right; border-bottom: 1px solid #eee; }
th { border-bottom: 1px solid #999; } td:first-child, th:first-child { text-align: left; }
section.machine { border-top: 2px solid #1f5fa8; margin-top: 2.5em; }
footer { margin-top: 2em; color: #777; font-size: .85em; }
@media print { body { margin: 0; max-width: none; font-size: 10pt; } section { break-inside: avoid; } }
</style>
)";

std::string Sessions(const LogSummary& summary) {
    std::string html = "<section><h2>Sessions on battery</h2>\n";
    if (summary.SessionCount() > static_cast<int64_t>(summary.Sessions().size())) {
        html += "<p>The latest " + std::to_string(summary.Sessions().size()) + " of " +
                std::to_string(summary.SessionCount()) +
                " sessions; <code>--format=csv</code> lists them all.</p>\n";
    }
    Table table = SessionTable(summary);
    table.header[6] = "Drain %/h";
    table.header[7] = "Full runtime";
    return html + HtmlTable("sessions", Escaped(table)) + "</section>\n";
}

std::string TrendSection(const LogSummary& summary) {
    Trend trend = MakeTrend(summary.DrainPeriods(), 14);
    if (trend.rows.empty()) {
        return "";
    }
    Table table = TrendTable(trend);
    table.header[2] = "Drain %/h";
    table.header[3] = "Full runtime";
    bool charging = table.header.size() > 4;
    if (charging) {
        table.header[4] = "Charging %/h";
    }
    return "<section><h2>Trend</h2>\n<p>" + EscapeHtml(MedianLine(summary)) +
           " Each " + (trend.byWeek ? "week" : "day") +
           ": the charge the sessions begun then lost while awake, over their time awake (only "
           "sessions that drained 2 points or more)" +
           (charging ? "; and the median rate of the charges that ended then" : "") + ".</p>\n" +
           HtmlTable("trend", Escaped(table)) + "</section>\n";
}

// The figures, charts and tables of one machine's reports.
std::string ReportsBody(const LogSummary& summary, const std::string& names) {
    if (summary.Reports() == 0) {
        return "<p class=\"lead\">No Tolvane reports in " + names + ".</p>\n";
    }
    std::string html = "<p class=\"lead\">From " + FormatMinute(summary.First().shown) + " to " +
                       FormatMinute(summary.Last().shown) + ", read from " + names + ".</p>\n<dl>\n";
    double span = static_cast<double>(summary.Last().elapsed - summary.First().elapsed);
    html += "<dt>Span</dt><dd>" + FormatDuration(span, true) + ", " +
            FormatCount(summary.Reports(), "report") + " in " + FormatCount(summary.Runs(), "run") +
            "</dd>\n";
    html += "<dt>On battery</dt><dd>" +
            FormatDuration(static_cast<double>(summary.BatterySeconds()), true) + " in " +
            FormatCount(summary.SessionCount(), "session") + "</dd>\n";
    if (summary.AsleepSeconds() > 0) {
        html += "<dt>Asleep on battery</dt><dd>" +
                FormatDuration(static_cast<double>(summary.AsleepSeconds()), true) + "</dd>\n";
    }
    html += "<dt>On mains</dt><dd>" +
            FormatDuration(static_cast<double>(summary.MainsSeconds()), true) + "</dd>\n</dl>\n";
    html += std::string("<section><h2>Charge</h2>\n<p class=\"key\"><span "
                        "style=\"background:#1f5fa8\"></span>charge<span "
                        "style=\"background:#dcefd5\"></span>on mains<span "
                        "style=\"background:#e08a1e\"></span>sessions on battery") +
            (summary.AsleepSeconds() > 0
                 ? "<span style=\"background:repeating-linear-gradient(45deg,#7b5ea7 0 2px,"
                   "transparent 2px 5px)\"></span>asleep on battery"
                 : "") +
            "</p>\n" +
            ChargeChart(summary) + "\n</section>\n";
    html += "<section><h2>Remaining time shown and borne out</h2>\n<p>Each remaining time a "
            "report showed, against how long the charge lasted at the pace of its session, "
            "awake. Above the diagonal, the time shown was too long.</p>\n" +
            EstimateChart(summary) + "\n</section>\n";
    std::vector<DrainPeriod> periods = ChartPeriods(summary.DrainPeriods());
    html += "<section><h2>" + DrainHeading(periods) + "</h2>\n";
    if (!periods.empty()) {
        html += "<p>" + DrainCaption(periods) + "</p>\n";
    }
    html += DrainChart(periods) + "\n</section>\n";
    if (summary.SessionCount() == 0) {
        return html + "<p>No sessions on battery.</p>\n";
    }
    return html + TrendSection(summary) + Sessions(summary);
}

// A machine's reports, then its batteries' health.
std::string MachineBody(const MachineLog& machine, const std::string& names) {
    std::optional<Drain> recent = machine.Summary().LastDays();
    return ReportsBody(machine.Summary(), names) + DayHtml(machine) +
           HealthHtmlSection(machine.Health(),
                             recent ? std::optional<double>(recent->percentPerHour) : std::nullopt);
}

// Element ids made unique within the page: "charge-chart" becomes
// "charge-chart-3" in the third machine's section.
std::string Numbered(std::string html, size_t number) {
    for (const char* id :
         {"charge-chart", "estimate-chart", "drain-chart", "trend", "sessions", "capacity-chart",
          "sleeps", "charges", "usage-chart", "usage", "asleep-hatch"}) {
        std::string from = std::string("id=\"") + id + "\"";
        std::string to = std::string("id=\"") + id + "-" + std::to_string(number) + "\"";
        for (size_t at = html.find(from); at != std::string::npos; at = html.find(from, at)) {
            html.replace(at, from.size(), to);
        }
    }
    std::string hatch = "url(#asleep-hatch)";
    std::string numbered = "url(#asleep-hatch-" + std::to_string(number) + ")";
    for (size_t at = html.find(hatch); at != std::string::npos; at = html.find(hatch, at)) {
        html.replace(at, hatch.size(), numbered);
    }
    return html;
}

}  // namespace

const char* const kPageStart = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">";

std::string EscapeHtml(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

void WriteHtmlPage(FILE* out, const std::vector<const MachineLog*>& machines,
                   const std::vector<std::string>& sources, const std::string& empty) {
    std::string names;
    for (const std::string& source : sources) {
        names += (names.empty() ? "" : ", ") + EscapeHtml(source);
    }
    fprintf(out,
            "%s\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            "<title>Battery report</title>\n%s</head><body>\n<h1>Battery report</h1>\n",
            kPageStart, kStyle);
    if (machines.empty()) {
        fprintf(out, "<p class=\"lead\">%s</p>\n</body></html>\n", EscapeHtml(empty).c_str());
        return;
    }
    if (machines.size() == 1) {
        fputs(MachineBody(*machines[0], names).c_str(), out);
    } else {
        FleetTable fleet = MakeFleetTable(machines);
        Table table = Escaped(fleet.table);
        // Row n links to section n: the sections come in the table's order.
        for (size_t row = 0; row < fleet.order.size(); row++) {
            std::string& host = table.rows[row][0];
            host = "<a href=\"#machine-" + std::to_string(row + 1) + "\">" + host + "</a> " +
                   WeeklyDrainSvg(machines[fleet.order[row]]->Summary());
        }
        fprintf(out, "<p class=\"lead\">%s Read from %s.</p>\n%s\n",
                EscapeHtml(fleet.caption).c_str(), names.c_str(), HtmlTable("fleet", table).c_str());
        for (size_t row = 0; row < fleet.order.size(); row++) {
            const MachineLog& machine = *machines[fleet.order[row]];
            fprintf(out, "<section class=\"machine\" id=\"machine-%zu\"><h2>%s</h2>\n%s</section>\n",
                    row + 1, EscapeHtml(machine.Host()).c_str(),
                    Numbered(MachineBody(machine, names), row + 1).c_str());
        }
    }
    fprintf(out, "<footer>Made by tolvane-report %s.</footer>\n</body></html>\n", TOLVANE_VERSION);
}
