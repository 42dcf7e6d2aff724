#include "report/read/health_line.h"

#include <stdio.h>

#include "monitor/status_report.h"
#include "report/read/csv_record.h"
#include "report/read/log_line.h"

const char* const kBatteryCsvHeader =
    "name,manufacturer,model,technology,design_wh,full_wh,health_percent,cycle_count";

namespace {

const std::string_view kLabel = "  Battery health: ";
const size_t kStampLength = 17;  // "MM/DD/YY HH:MM:SS"
const size_t kFields = 8;

// Never negative: what a battery gives is checked before it is kept.
std::string Fixed(std::optional<double> value, int decimals) {
    if (!value) {
        return "";
    }
    char text[64];
    snprintf(text, sizeof text, "%.*f", decimals, *value);
    return text;
}

// "" or digits with exactly `decimals` after a point, as Fixed writes
// them; false for anything else, so that no garbage turns into a figure.
bool ParseNumber(const std::string& text, int decimals, std::optional<double>* value) {
    if (text.empty()) {
        *value = std::nullopt;
        return true;
    }
    size_t whole = decimals == 0 ? text.size() : text.size() - static_cast<size_t>(decimals) - 1;
    if (text.size() <= static_cast<size_t>(decimals) + (decimals ? 1 : 0) || whole > 9 ||
        (decimals && text[whole] != '.') || (text[0] == '0' && whole > 1)) {
        return false;
    }
    double number = 0, scale = 1;
    for (size_t i = 0; i < text.size(); i++) {
        if (i == whole) {
            continue;  // the point
        }
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        number = number * 10 + (text[i] - '0');
        scale *= i > whole ? 10 : 1;
    }
    *value = number / scale;
    return true;
}

}  // namespace

std::string BatteryCsvRecord(const BatteryInfo& info) {
    return CsvField(info.name) + "," + CsvField(info.manufacturer) + "," + CsvField(info.model) + "," +
           CsvField(info.technology) + "," + Fixed(info.designWh, 2) + "," + Fixed(info.fullWh, 2) +
           "," + Fixed(PlausibleHealth(info.healthPercent), 1) + "," +
           (info.cycleCount ? std::to_string(*info.cycleCount) : "");
}

std::string HealthLogLines(const std::vector<BatteryInfo>& batteries, const struct tm& localTime) {
    char date[kStampSize], time[kStampSize];
    FormatDateStamp(date, &localTime);
    FormatTimeStamp(time, &localTime);
    std::string lines;
    for (const BatteryInfo& info : batteries) {
        lines +=
            std::string(date) + " " + time + std::string(kLabel) + BatteryCsvRecord(info) + "\n";
    }
    return lines;
}

bool ParseBatteryHealthMessage(std::string_view message, CivilTime* stamp, BatteryInfo* info) {
    std::vector<std::string> fields;
    CivilTime time;
    if (message.size() <= kStampLength + kLabel.size() ||
        message.substr(kStampLength, kLabel.size()) != kLabel ||
        !ParseStamp(message.substr(0, kStampLength), &time) ||
        !SplitCsvRecord(message.substr(kStampLength + kLabel.size()), kFields, &fields) ||
        fields.size() != kFields) {
        return false;
    }
    for (size_t i = 0; i < 4; i++) {
        // Longer than any text written: not a line of ours.
        if (fields[i].size() > kMaxBatteryText) {
            return false;
        }
    }
    BatteryInfo read;
    read.name = fields[0];
    read.manufacturer = fields[1];
    read.model = fields[2];
    read.technology = fields[3];
    std::optional<double> cycles;
    if (!ParseNumber(fields[4], 2, &read.designWh) || !ParseNumber(fields[5], 2, &read.fullWh) ||
        !ParseNumber(fields[6], 1, &read.healthPercent) || !ParseNumber(fields[7], 0, &cycles) ||
        (cycles && *cycles == 0)) {
        return false;
    }
    if (read.designWh && *read.designWh == 0) {
        read.designWh = std::nullopt;  // unknown, as --batteries reads a design of 0
    }
    if (cycles) {
        read.cycleCount = static_cast<int64_t>(*cycles);
    }
    *stamp = time;
    *info = read;
    return true;
}
