#include "report/battery_output.h"

#include "report/formatting.h"

#include <math.h>

#include <algorithm>
#include <optional>

#include "monitor/status_report.h"
#include "report/csv_output.h"

const char* const kBatteryCsvHeader =
    "name,manufacturer,model,technology,design_wh,full_wh,health_percent,cycle_count";

namespace {

const std::string_view kLabel = "  Battery health: ";
const size_t kStampLength = 17;  // "MM/DD/YY HH:MM:SS"
const size_t kFields = 8;


std::string Fixed(std::optional<double> value, int decimals) {
    return value ? FormatFixed(*value, decimals) : "";
}

std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

// Splits a CSV record into its fields; false where the quoting is broken.
bool SplitRecord(std::string_view record, std::vector<std::string>* fields) {
    size_t at = 0;
    while (true) {
        std::string field;
        if (at < record.size() && record[at] == '"') {
            for (at++;; at++) {
                if (at >= record.size()) {
                    return false;  // no closing quote
                }
                if (record[at] == '"') {
                    if (at + 1 < record.size() && record[at + 1] == '"') {
                        field += '"';
                        at++;
                        continue;
                    }
                    at++;
                    break;
                }
                field += record[at];
            }
            // Quoted only where it must be, as CsvField writes it.
            if ((at < record.size() && record[at] != ',') ||
                field.find_first_of(",\"\r\n") == std::string::npos) {
                return false;
            }
        } else {
            size_t end = std::min(record.find(',', at), record.size());
            field = std::string(record.substr(at, end - at));
            if (field.find('"') != std::string::npos) {
                return false;
            }
            at = end;
        }
        fields->push_back(field);
        if (fields->size() > kFields) {
            return false;
        }
        if (at >= record.size()) {
            return true;
        }
        at++;  // past the comma
    }
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

bool ParseStamp(std::string_view text, CivilTime* time) {
    int month, day, year;
    if (text.size() != kStampLength || text[2] != '/' || text[5] != '/' || text[8] != ' ' ||
        text[11] != ':' || text[14] != ':' || !ReadDigits(text, 0, 2, &month) ||
        !ReadDigits(text, 3, 2, &day) || !ReadDigits(text, 6, 2, &year) ||
        !ReadDigits(text, 9, 2, &time->hour) || !ReadDigits(text, 12, 2, &time->minute) ||
        !ReadDigits(text, 15, 2, &time->second)) {
        return false;
    }
    time->year = 2000 + year;
    time->month = month;
    time->day = day;
    return IsValidDate(time->year, month, day) && time->hour < 24 && time->minute < 60 &&
           time->second <= 60;
}

}  // namespace

std::string BatteryCsvRecord(const BatteryInfo& info) {
    return CsvField(info.name) + "," + CsvField(info.manufacturer) + "," + CsvField(info.model) + "," +
           CsvField(info.technology) + "," + Fixed(info.designWh, 2) + "," + Fixed(info.fullWh, 2) +
           "," + Fixed(info.healthPercent, 1) + "," +
           (info.cycleCount ? std::to_string(*info.cycleCount) : "");
}

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
    for (const BatteryInfo& info : batteries) {
        csv += BatteryCsvRecord(info) + "\n";
    }
    return csv;
}

std::string BatteryLogLines(const std::vector<BatteryInfo>& batteries, const struct tm& localTime) {
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
        !SplitRecord(message.substr(kStampLength + kLabel.size()), &fields) ||
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
    if (cycles) {
        read.cycleCount = static_cast<int64_t>(*cycles);
    }
    *stamp = time;
    *info = read;
    return true;
}
