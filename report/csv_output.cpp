#include "report/csv_output.h"

#include <math.h>

const char* const kCsvHeader =
    "start,end,seconds,from_percent,to_percent,percent_per_hour,full_runtime_seconds,"
    "estimate_error_percent,ended";

std::string FormatLogTime(const LogTime& time) {
    std::string text = FormatIsoTime(time.shown);
    if (time.hasOffset) {
        text += FormatOffset(time.offsetMinutes);
    }
    return text;
}

std::string FormatFixed(double value, int decimals) {
    char text[64];
    snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result = text;
    if (result[0] == '-' && result.find_first_not_of("-0.") == std::string::npos) {
        result.erase(0, 1);
    }
    return result;
}

namespace {

std::string Percent(int value) {
    return value < 0 ? "" : std::to_string(value);
}

}  // namespace

std::string CsvLine(const Session& session) {
    std::string line = FormatLogTime(session.start) + "," + FormatLogTime(session.end) + "," +
                       std::to_string(session.seconds) + "," + Percent(session.fromPercent) + "," +
                       Percent(session.toPercent) + ",";
    if (session.percentPerHour) {
        line += FormatFixed(*session.percentPerHour, 2);
    }
    line += ",";
    if (session.fullRuntimeSeconds) {
        line += FormatFixed(round(*session.fullRuntimeSeconds), 0);
    }
    line += ",";
    if (session.estimateErrorPercent) {
        line += FormatFixed(*session.estimateErrorPercent, 1);
    }
    line += session.endedOnMains ? ",ac" : ",cut";
    return line;
}

CsvWriter::CsvWriter(FILE* out) : out_(out) {
    fprintf(out_, "%s\n", kCsvHeader);
}

void CsvWriter::OnSession(const Session& session) {
    fprintf(out_, "%s\n", CsvLine(session).c_str());
}
