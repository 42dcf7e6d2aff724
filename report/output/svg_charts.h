// The charts of the HTML page, as inline SVG: no script, no fonts or files
// from elsewhere, and a size that does not grow with the log (the charge
// series and the remaining times are thinned as they are read).
#ifndef TOLVANE_REPORT_OUTPUT_SVG_CHARTS_H
#define TOLVANE_REPORT_OUTPUT_SVG_CHARTS_H

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "report/figures/day_usage.h"
#include "report/figures/log_summary.h"

// The charge over the whole span, the stretches on mains shaded and the
// stretches on battery marked below it, each mark with its sessions.
std::string ChargeChart(const LogSummary& summary);
// The remaining time each report showed against the one its session bore
// out; points on the diagonal were right. The scale fits the bulk of the
// points; the few beyond it are marked at its edge and counted.
std::string EstimateChart(const LogSummary& summary);

// A bar per period, oldest first; periods may differ in length (old weeks,
// then the latest days), each as wide as its days.
std::string DrainChart(const std::vector<DrainPeriod>& periods);
// What the drain chart draws: "Drain per day", "Drain per week"...
std::string DrainHeading(const std::vector<DrainPeriod>& periods);
std::string DrainCaption(const std::vector<DrainPeriod>& periods);
// The summary's periods as the chart draws them: each day, or each week
// (Monday to Sunday) when they span more than 400 days.
std::vector<DrainPeriod> ChartPeriods(const std::map<int64_t, DrainPeriod>& periods);

// The use of the last days (or weeks) as stacked bars: on battery, asleep
// on battery, on mains, not logged, each as a share of its day.
std::string UsageChart(const UsageBook& usage, bool byWeek);

// The drain of each of a machine's last 26 weeks as a small inline SVG.
std::string WeeklyDrainSvg(const LogSummary& summary);

#endif
