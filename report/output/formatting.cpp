#include "report/output/formatting.h"

#include <math.h>
#include <stdio.h>

std::string FormatFixed(double value, int decimals) {
    char text[64];
    snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result = text;
    if (result[0] == '-' && result.find_first_not_of("-0.") == std::string::npos) {
        result.erase(0, 1);
    }
    return result;
}

std::string FormatLogTime(const LogTime& time) {
    std::string text = FormatIsoTime(time.shown);
    if (time.hasOffset) {
        text += FormatOffset(time.offsetMinutes);
    }
    return text;
}

std::string FormatDuration(double seconds, bool days) {
    long long minutes = llround(seconds / 60);
    char text[64];
    if (days && minutes >= 24 * 60) {
        snprintf(text, sizeof text, "%lld day%s %lldh %02lldm", minutes / 1440,
                 minutes / 1440 == 1 ? "" : "s", minutes / 60 % 24, minutes % 60);
    } else {
        snprintf(text, sizeof text, "%lldh %02lldm", minutes / 60, minutes % 60);
    }
    return text;
}

std::string FormatMinute(const CivilTime& time) {
    return FormatIsoTime(time).substr(0, 16).replace(10, 1, " ");
}

std::string FormatEnd(const CivilTime& start, const CivilTime& end) {
    std::string text = FormatMinute(end);
    if (DayOf(end) == DayOf(start)) {
        return text.substr(11);
    }
    return end.year == start.year ? text.substr(5) : text;
}

std::string FormatPercent(int value) {
    return value < 0 ? "" : std::to_string(value) + "%";
}

std::string FormatError(double percent) {
    std::string text = FormatFixed(percent, 1);
    return (text[0] == '-' || text == "0.0" ? text : "+" + text) + "%";
}

std::string SpreadsheetText(const std::string& text) {
    return !text.empty() && std::string("=+-@\t\r").find(text[0]) != std::string::npos
               ? "'" + text
               : text;
}

std::string FormatCount(int64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}
