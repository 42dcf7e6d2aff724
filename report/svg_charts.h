// The charts of the HTML page, as inline SVG: no script, no fonts or files
// from elsewhere, and a size that does not grow with the log (the charge
// series and the remaining times are thinned as they are read).
#ifndef TOLVANE_REPORT_SVG_CHARTS_H
#define TOLVANE_REPORT_SVG_CHARTS_H

#include <string>
#include <vector>

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

// The parts the charts are drawn with, for charts drawn elsewhere. The wide
// charts are 960 by 276 with their plot area within these bounds.
extern const double kChartLeft, kChartRight, kChartTop, kChartBottom;
std::string SvgOpen(const char* id, int width, int height, const std::string& label);
std::string SvgText(double x, double y, const std::string& anchor, const std::string& text);
std::string SvgLine(double x1, double y1, double x2, double y2, const char* cssClass);
// Grid lines with their labels from 0 to `top` over the wide plot area.
std::string SvgGrid(double top, double step, const char* unit);
// A tick step from `steps` that gives about `ticks` ticks over `span`.
double TickStep(double span, double ticks, const std::vector<double>& steps);

#endif
