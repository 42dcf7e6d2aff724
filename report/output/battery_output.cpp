#include "report/output/battery_output.h"

#include "report/output/formatting.h"
#include "report/read/health_line.h"

namespace {

std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

std::string HealthCell(const BatteryInfo& info) {
    if (std::optional<double> health = PlausibleHealth(info.healthPercent)) {
        return FormatFixed(*health, 1) + " %";
    }
    return info.healthPercent ? NotPlausibleText(info.fullWh, info.designWh, *info.healthPercent)
                              : "-";
}

}  // namespace

std::string BatteryText(const std::vector<BatteryInfo>& batteries) {
    if (batteries.empty()) {
        return "No battery found.\n";
    }
    std::string text;
    for (const BatteryInfo& info : batteries) {
        std::optional<double> health = PlausibleHealth(info.healthPercent);
        auto wattHours = [](std::optional<double> value) {
            return value ? FormatFixed(*value, 2) + " Wh" : "-";
        };
        text += (text.empty() ? "" : "\n") + OrDash(info.name) + "\n" +
                "  Manufacturer : " + OrDash(info.manufacturer) + "\n" +
                "  Model        : " + OrDash(info.model) + "\n" +
                "  Technology   : " + OrDash(info.technology) + "\n" +
                "  Design       : " + wattHours(info.designWh) + "\n" +
                "  Full charge  : " + wattHours(info.fullWh) + "\n" + "  Health       : " +
                HealthCell(info) + "\n" +
                "  Cycles       : " + (info.cycleCount ? std::to_string(*info.cycleCount) : "-") +
                "\n";
        // Shown as read: the gauge's full figure on a new battery is often
        // a little above the design.
        if (health && *health > 100.0) {
            text += "  (above 100 %: a new battery may read a little over 100 %)\n";
        }
    }
    return text;
}

std::string NotPlausibleText(std::optional<double> fullWh, std::optional<double> designWh,
                             double healthPercent) {
    return "not plausible (" +
           (fullWh && designWh ? FormatFixed(*fullWh, 2) + " Wh full against " +
                                     FormatFixed(*designWh, 2) + " Wh design"
                               : FormatFixed(healthPercent, 1) + " %") +
           ")";
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

