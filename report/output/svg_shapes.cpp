#include "report/output/svg_shapes.h"

#include <math.h>

#include <algorithm>

#include "report/output/formatting.h"

std::string Coordinate(double value) {
    std::string text = FormatFixed(value, 1);
    return text.size() > 2 && text.substr(text.size() - 2) == ".0" ? text.substr(0, text.size() - 2)
                                                                   : text;
}

namespace svg {

std::string Text(double x, double y, const std::string& anchor, const std::string& text) {
    return "<text x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(y) + "\" text-anchor=\"" + anchor +
           "\">" + text + "</text>";
}

double LabelWidth(const std::string& text) {
    return 7 * static_cast<double>(text.size());  // 12 px digits are about 6.7 wide
}

std::string AxisLabel(double x, double y, const std::string& text, double width) {
    double half = LabelWidth(text) / 2;
    if (x + half > width) {
        return Text(x, y, "end", text);
    }
    return Text(x, y, x - half < 0 ? "start" : "middle", text);
}

std::string Line(double x1, double y1, double x2, double y2, const char* cssClass) {
    return "<line class=\"" + std::string(cssClass) + "\" x1=\"" + Coordinate(x1) + "\" y1=\"" +
           Coordinate(y1) + "\" x2=\"" + Coordinate(x2) + "\" y2=\"" + Coordinate(y2) + "\"/>";
}

std::string Rect(const char* cssClass, double x, double y, double width, double height,
                 const std::string& title) {
    std::string rect = "<rect class=\"" + std::string(cssClass) + "\" x=\"" + Coordinate(x) +
                       "\" y=\"" + Coordinate(y) + "\" width=\"" +
                       Coordinate(std::max(width, 0.5)) + "\" height=\"" + Coordinate(height) +
                       "\"";
    return title.empty() ? rect + "/>" : rect + "><title>" + title + "</title></rect>";
}

std::string Open(const char* id, int width, int height, const std::string& label) {
    return "<svg id=\"" + std::string(id) + "\" viewBox=\"0 0 " + std::to_string(width) + " " +
           std::to_string(height) + "\" role=\"img\" aria-label=\"" + label + "\"><title>" + label +
           "</title>\n";
}

double Step(double span, double ticks, const std::vector<double>& steps) {
    for (double step : steps) {
        if (span / step <= ticks) {
            return step;
        }
    }
    return steps.back() * ceil(span / ticks / steps.back());
}

std::string Grid(double top, double step, const char* unit, double bottom) {
    std::string grid;
    for (double value = bottom; value <= top + 1e-9; value += step) {
        double y = kBottom - (value - bottom) / (top - bottom) * (kBottom - kTop);
        grid += Line(kLeft, y, kRight, y, "grid") +
                Text(kLeft - 6, y + 4, "end", Coordinate(value) + unit);
    }
    return grid + "\n";
}

}  // namespace svg
