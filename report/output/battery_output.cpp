#include "report/output/battery_output.h"

#include <optional>

#include "report/output/formatting.h"
#include "report/read/health_line.h"

namespace {

std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

}  // namespace

std::string BatteryText(const std::vector<BatteryInfo>& batteries) {
    if (batteries.empty()) {
        return "No battery found.\n";
    }
    std::string text;
    for (const BatteryInfo& info : batteries) {
        auto wattHours = [](std::optional<double> value) {
            return value ? FormatFixed(*value, 2) + " Wh" : "-";
        };
        text += (text.empty() ? "" : "\n") + OrDash(info.name) + "\n" +
                "  Manufacturer : " + OrDash(info.manufacturer) + "\n" +
                "  Model        : " + OrDash(info.model) + "\n" +
                "  Technology   : " + OrDash(info.technology) + "\n" +
                "  Design       : " + wattHours(info.designWh) + "\n" +
                "  Full charge  : " + wattHours(info.fullWh) + "\n" + "  Health       : " +
                (info.healthPercent ? FormatFixed(*info.healthPercent, 1) + " %" : "-") + "\n" +
                "  Cycles       : " + (info.cycleCount ? std::to_string(*info.cycleCount) : "-") +
                "\n";
        // Shown as read: the gauge's full figure on a new battery is often
        // a little above the design.
        if (info.healthPercent && *info.healthPercent > 100.0) {
            text += "  (above 100 %: a new battery may read a little over 100 %)\n";
        }
    }
    return text;
}

std::string BatteryCsv(const std::vector<BatteryInfo>& batteries) {
    std::string csv = std::string(kBatteryCsvHeader) + "\n";
    for (BatteryInfo info : batteries) {
        // Texts a spreadsheet could take for a formula; the log's health
        // line keeps them as read, to be read back as they were.
        for (std::string* text : {&info.name, &info.manufacturer, &info.model, &info.technology}) {
            *text = SpreadsheetText(*text);
        }
        csv += BatteryCsvRecord(info) + "\n";
    }
    return csv;
}

