#include "report/html_page.h"

#include "report/csv_output.h"
#include "report/svg_charts.h"
#include "report/text_output.h"

namespace {

const char* const kStyle = R"(<style>
body { font: 15px/1.45 system-ui, sans-serif; color: #1d1d1d; background: #fff;
       margin: 2em auto; max-width: 1000px; padding: 0 1em; }
h1 { font-size: 1.6em; margin-bottom: .2em; } h2 { font-size: 1.2em; margin-top: 1.8em; }
.lead { color: #555; margin-top: 0; }
dl { display: grid; grid-template-columns: max-content auto; gap: .2em 1.2em; }
dt { color: #555; } dd { margin: 0; }
svg { width: 100%; height: auto; font-size: 12px; fill: #333; }
#estimate-chart { max-width: 400px; }
.grid { stroke: #e2e2e2; } .axis { stroke: #888; } .diagonal { stroke: #888; stroke-dasharray: 4 4; }
.charge { fill: none; stroke: #1f5fa8; stroke-width: 1.5; stroke-linejoin: round; }
.charge-dot { fill: #1f5fa8; }
.charge-range { fill: #1f5fa8; fill-opacity: .18; } .mains { fill: #dcefd5; }
.session { fill: #e08a1e; } .drain { fill: #1f5fa8; } .estimate { fill: #1f5fa8; fill-opacity: .55; }
.beyond { fill: none; stroke: #b3261e; stroke-width: 1.5; } .beyond-count { fill: #b3261e; }
.key span { display: inline-block; width: .9em; height: .9em; margin: 0 .3em 0 1em;
            vertical-align: -.1em; }
table { border-collapse: collapse; font-variant-numeric: tabular-nums; }
th, td { padding: .2em .7em; text-align: right; border-bottom: 1px solid #eee; }
th { border-bottom: 1px solid #999; } td:first-child, th:first-child { text-align: left; }
footer { margin-top: 2em; color: #777; font-size: .85em; }
@media print { body { margin: 0; max-width: none; font-size: 10pt; } section { break-inside: avoid; } }
</style>
)";

std::string Cell(const std::string& text) {
    return "<td>" + text + "</td>";
}

std::string Or(const std::optional<double>& value, std::string (*format)(double)) {
    return value ? format(*value) : "&ndash;";
}

std::string Drain(double value) {
    return FormatFixed(value, 1);
}

std::string Duration(double value) {
    return FormatDuration(value);
}

void WriteSessions(FILE* out, const LogSummary& summary) {
    fprintf(out, "<section><h2>Sessions on battery</h2>\n");
    if (summary.Sessions().empty()) {
        fprintf(out, "<p>No sessions on battery.</p></section>\n");
        return;
    }
    if (summary.SessionCount() > static_cast<int64_t>(summary.Sessions().size())) {
        fprintf(
            out,
            "<p>The latest %zu of %lld sessions; <code>--format=csv</code> lists them all.</p>\n",
            summary.Sessions().size(), static_cast<long long>(summary.SessionCount()));
    }
    fprintf(
        out,
        "<table id=\"sessions\"><thead><tr><th>Start</th><th>End</th><th>Length</th><th>From</th>"
        "<th>To</th><th>Drain %%/h</th><th>Full runtime</th><th>Estimates</th><th>Ended</th></tr>"
        "</thead><tbody>\n");
    for (const Session& session : summary.Sessions()) {
        std::string row =
            Cell(FormatMinute(session.start.shown)) + Cell(FormatMinute(session.end.shown)) +
            Cell(FormatDuration(static_cast<double>(session.seconds))) +
            Cell(session.fromPercent < 0 ? "&ndash;" : std::to_string(session.fromPercent) + "%") +
            Cell(session.toPercent < 0 ? "&ndash;" : std::to_string(session.toPercent) + "%") +
            Cell(Or(session.percentPerHour, Drain)) +
            Cell(Or(session.fullRuntimeSeconds, Duration)) +
            Cell(Or(session.estimateErrorPercent, FormatError)) +
            Cell(session.endedOnMains ? "ac" : "cut");
        fprintf(out, "<tr>%s</tr>\n", row.c_str());
    }
    fprintf(out, "</tbody></table></section>\n");
}

void WriteTrend(FILE* out, const LogSummary& summary) {
    Trend trend = MakeTrend(summary.Sessions(), 14);
    if (trend.rows.empty()) {
        return;
    }
    fprintf(
        out,
        "<section><h2>Trend</h2>\n<p>The median over the sessions of each %s whose charge fell by "
        "2 points or more.</p>\n<table id=\"trend\"><thead><tr><th>%s</th><th>Sessions</th>"
        "<th>Drain %%/h</th><th>Full runtime</th></tr></thead><tbody>\n",
        trend.byWeek ? "week" : "day", trend.byWeek ? "Week of" : "Day");
    for (const TrendRow& row : trend.rows) {
        fprintf(out, "<tr><td>%s</td><td>%d</td><td>%s</td><td>%s</td></tr>\n",
                FormatIsoDate(row.firstDay).c_str(), row.sessions,
                FormatFixed(row.percentPerHour, 1).c_str(),
                FormatDuration(row.fullRuntimeSeconds).c_str());
    }
    fprintf(out, "</tbody></table></section>\n");
}

}  // namespace

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

void WriteHtmlPage(FILE* out, const LogSummary& summary, const std::vector<std::string>& sources) {
    std::string names;
    for (const std::string& source : sources) {
        names +=
            (names.empty() ? "" : ", ") + EscapeHtml(source == "-" ? "standard input" : source);
    }
    fprintf(out,
            "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            "<title>Battery report</title>\n%s</head><body>\n<h1>Battery report</h1>\n",
            kStyle);
    if (summary.Reports() == 0) {
        fprintf(out, "<p class=\"lead\">No Tolvane reports in %s.</p>\n</body></html>\n",
                names.c_str());
        return;
    }
    fprintf(out, "<p class=\"lead\">From %s to %s, read from %s.</p>\n<dl>\n",
            FormatMinute(summary.First().shown).c_str(), FormatMinute(summary.Last().shown).c_str(),
            names.c_str());
    double span = static_cast<double>(summary.Last().elapsed - summary.First().elapsed);
    fprintf(out, "<dt>Span</dt><dd>%s, %s in %s</dd>\n", FormatDuration(span, true).c_str(),
            FormatCount(summary.Reports(), "report").c_str(),
            FormatCount(summary.Runs(), "run").c_str());
    fprintf(out, "<dt>On battery</dt><dd>%s in %s</dd>\n<dt>On mains</dt><dd>%s</dd>\n</dl>\n",
            FormatDuration(static_cast<double>(summary.BatterySeconds()), true).c_str(),
            FormatCount(summary.SessionCount(), "session").c_str(),
            FormatDuration(static_cast<double>(summary.MainsSeconds()), true).c_str());
    fprintf(out,
            "<section><h2>Charge</h2>\n<p class=\"key\"><span "
            "style=\"background:#1f5fa8\"></span>charge"
            "<span style=\"background:#dcefd5\"></span>on mains<span "
            "style=\"background:#e08a1e\"></span>"
            "sessions on battery</p>\n%s\n</section>\n",
            ChargeChart(summary).c_str());
    fprintf(out,
            "<section><h2>Remaining time shown and borne out</h2>\n<p>Each remaining time a report "
            "showed, "
            "against how long the charge lasted at the pace of its session. Above the diagonal, "
            "the time "
            "shown was too long.</p>\n%s\n</section>\n",
            EstimateChart(summary).c_str());
    std::vector<DrainPeriod> periods = DrainPeriods(summary.DrainByDay());
    fprintf(out, "<section><h2>%s</h2>\n", DrainHeading(periods).c_str());
    if (!periods.empty()) {
        fprintf(out, "<p>%s</p>\n", DrainCaption(periods).c_str());
    }
    fprintf(out, "%s\n</section>\n", DrainChart(periods).c_str());
    WriteTrend(out, summary);
    WriteSessions(out, summary);
    fprintf(out, "<footer>Made by tolvane-report %s.</footer>\n</body></html>\n", TOLVANE_VERSION);
}
