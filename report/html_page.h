// One self-contained HTML page: summary, charts as inline SVG, the trend
// and the sessions. No script, nothing fetched from elsewhere, printable.
#ifndef TOLVANE_REPORT_HTML_PAGE_H
#define TOLVANE_REPORT_HTML_PAGE_H

#include <stdio.h>

#include <string>
#include <vector>

#include "report/log_summary.h"

// `sources`: the names of the files read ("-" for standard input).
void WriteHtmlPage(FILE* out, const LogSummary& summary, const std::vector<std::string>& sources);

// Text made safe to place in HTML.
std::string EscapeHtml(const std::string& text);

#endif
