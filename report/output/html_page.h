// One self-contained HTML page: summary, charts as inline SVG, the trend
// and the sessions; for several machines, the fleet table first and each
// machine's section below it. No script, nothing fetched from elsewhere,
// printable.
#ifndef TOLVANE_REPORT_OUTPUT_HTML_PAGE_H
#define TOLVANE_REPORT_OUTPUT_HTML_PAGE_H

#include <stdio.h>

#include <string>
#include <vector>

#include "report/figures/machine_log.h"

// What every page begins with, as the first release's did too: a file
// that begins otherwise is no page of ours, and is never replaced by one.
extern const char* const kPageStart;

// `sources`: the names of the files read, as messages call them;
// `empty`: what to say where no machine has a report.
void WriteHtmlPage(FILE* out, const std::vector<const MachineLog*>& machines,
                   const std::vector<std::string>& sources, const std::string& empty);

// Text made safe to place in HTML.
std::string EscapeHtml(const std::string& text);

#endif
