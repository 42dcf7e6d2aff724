// The charts of the HTML page, as inline SVG: no script, no fonts or files
// from elsewhere, and a size that does not grow with the log (the charge
// series and the remaining times are thinned as they are read).
#ifndef TOLVANE_REPORT_SVG_CHARTS_H
#define TOLVANE_REPORT_SVG_CHARTS_H

#include <string>

#include "report/log_summary.h"

// The charge over the whole span, the stretches on mains shaded and the
// sessions on battery marked below it.
std::string ChargeChart(const LogSummary& summary);
// The remaining time each report showed against the one its session bore
// out; points on the diagonal were right.
std::string EstimateChart(const LogSummary& summary);
// The drain per day (per week for a span of more than 400 days): the
// charge lost on battery over the time on battery.
std::string DrainChart(const LogSummary& summary);

// "12", "12.5": a coordinate with at most one decimal.
std::string Coordinate(double value);

#endif
