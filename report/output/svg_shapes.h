// The shapes the SVG charts are drawn with, and the plot area of the wide
// charts, in the units of their viewBox.
#ifndef TOLVANE_REPORT_OUTPUT_SVG_SHAPES_H
#define TOLVANE_REPORT_OUTPUT_SVG_SHAPES_H

#include <string>
#include <vector>

// "12", "12.5": a coordinate with at most one decimal.
std::string Coordinate(double value);

namespace svg {

const double kWidth = 960;  // of the wide charts' viewBox
const double kLeft = 48, kRight = 950, kTop = 12, kBottom = 232;

std::string Text(double x, double y, const std::string& anchor, const std::string& text);
// A label centred under `x`, or ending (beginning) there where centred
// it would run off the chart's right (left) edge.
std::string AxisLabel(double x, double y, const std::string& text, double width = kWidth);
std::string Line(double x1, double y1, double x2, double y2, const char* cssClass);
std::string Rect(const char* cssClass, double x, double y, double width, double height,
                 const std::string& title = "");
std::string Open(const char* id, int width, int height, const std::string& label);
// A tick step from `steps` that gives about `ticks` ticks over `span`.
double Step(double span, double ticks, const std::vector<double>& steps);
// Horizontal grid lines with their labels, from `bottom` to `top` on the
// y axis.
std::string Grid(double top, double step, const char* unit, double bottom = 0);
// About how wide a label is at the charts' font size.
double LabelWidth(const std::string& text);

}  // namespace svg

#endif
