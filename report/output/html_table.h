// The summary's tables as HTML, and the page's sections on the rest of a
// machine's day.
#ifndef TOLVANE_REPORT_OUTPUT_HTML_TABLE_H
#define TOLVANE_REPORT_OUTPUT_HTML_TABLE_H

#include <string>

#include "report/figures/machine_log.h"
#include "report/output/summary_tables.h"

// A table's cells as HTML: escaped, a dash where a figure has no value.
Table Escaped(Table table);
// A table whose cells are HTML already.
std::string HtmlTable(const char* id, const Table& table);

// The sections on a machine's sleeps on battery, its charges and its use
// per day (with its chart); "" where the log has none of them.
std::string DayHtml(const MachineLog& machine);

#endif
