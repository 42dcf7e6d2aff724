// The page's sections on the rest of a machine's day: its sleeps on
// battery, its charges, and its use per day.
#include "report/output/day_tables.h"
#include "report/output/html_page.h"
#include "report/output/html_table.h"
#include "report/output/svg_charts.h"

namespace {

// "<p>The latest 200 of 311; --format=csv --table=sleeps lists them all.</p>"
std::string Latest(size_t shown, int64_t count, const char* table) {
    if (count <= static_cast<int64_t>(shown)) {
        return "";
    }
    return "<p>The latest " + std::to_string(shown) + " of " + std::to_string(count) +
           "; <code>--format=csv --table=" + table + "</code> lists them all.</p>\n";
}

// A paragraph of `text`, each line of it a sentence.
std::string Paragraph(std::string text) {
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
        text[at] = ' ';
    }
    return "<p>" + EscapeHtml(text) + "</p>\n";
}

}  // namespace

std::string DayHtml(const MachineLog& machine) {
    std::string html;
    const SleepLog& sleeps = machine.Sleeps();
    if (sleeps.Count() > 0) {
        Table table = SleepTable(sleeps, SleepLog::kKept);
        table.header[5] = "Drain %/h";
        html += "<section><h2>Sleeps on battery</h2>\n" +
                Paragraph(SleepLine(sleeps, machine.Summary())) +
                "<p>Each sleep from the last report before it to the wake (hatched on the charge "
                "chart). A drain below &lt; a figure: the charge fell less than a point, so less "
                "than that. Fast: 10 minutes or more at over 2 %/h.</p>\n" +
                Latest(table.rows.size(), sleeps.Count(), "sleeps") +
                HtmlTable("sleeps", Escaped(table)) + "</section>\n";
    }
    const ChargeLog& charges = machine.Charges();
    if (charges.Count() > 0) {
        Table table = ChargeTable(charges, ChargeLog::kKept);
        table.header[5] = "Rate %/h";
        table.header[6] = "20 to 80 %";
        html += "<section><h2>Charges</h2>\n" + Paragraph(ChargeLine(charges)) +
                "<p>Each stretch on mains in which the charge rose 2 points or more. The rate is "
                "taken from 20 to 80 %, where chargers work fastest, or over the part of it named. "
                "Held: the charge stayed below full for half an hour or more, at a charge "
                "limit.</p>\n" +
                Latest(table.rows.size(), charges.Count(), "charges") +
                HtmlTable("charges", Escaped(table)) + "</section>\n";
    }
    bool byWeek = UsageByWeek(machine.Summary(), machine.Usage());
    Table usage = UsageTable(machine.Usage(), byWeek, 14);
    if (!usage.rows.empty()) {
        html += std::string("<section><h2>Use per ") + (byWeek ? "week" : "day") +
                "</h2>\n<p class=\"key\"><span style=\"background:#1f5fa8\"></span>on battery"
                "<span style=\"background:repeating-linear-gradient(45deg,#7b5ea7 0 2px,"
                "transparent 2px 5px)\"></span>asleep on battery<span "
                "style=\"background:#dcefd5\"></span>on mains<span "
                "style=\"background:#d4d4d4\"></span>not logged (the monitor not running)</p>\n" +
                UsageChart(machine.Usage(), byWeek) + "\n" + HtmlTable("usage", Escaped(usage)) +
                "</section>\n";
    }
    return html;
}
