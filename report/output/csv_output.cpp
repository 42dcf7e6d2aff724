#include "report/output/csv_output.h"

#include <math.h>

#include "report/output/formatting.h"
#include "report/read/csv_record.h"

const char* const kCsvHeader =
    "start,end,seconds,from_percent,to_percent,percent_per_hour,full_runtime_seconds,"
    "estimate_error_percent,ended,asleep_seconds,host";

namespace {

std::string Percent(int value) {
    return value < 0 ? "" : std::to_string(value);
}

}  // namespace

std::string CsvLine(const Session& session, const std::string& host) {
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
    line += session.endedOnMains ? ",ac," : ",cut,";
    return line + std::to_string(session.asleepSeconds) + "," + CsvField(SpreadsheetText(host));
}

CsvWriter::CsvWriter(FILE* out) : out_(out) {
    fprintf(out_, "%s\n", kCsvHeader);
}

void CsvWriter::OnSession(const std::string& host, const Session& session) {
    fprintf(out_, "%s\n", CsvLine(session, host).c_str());
}
