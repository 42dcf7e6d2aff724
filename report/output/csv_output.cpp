#include "report/output/csv_output.h"

#include <math.h>

#include "report/figures/sleep_log.h"
#include "report/output/formatting.h"
#include "report/read/csv_record.h"

const char* const kCsvHeader =
    "start,end,seconds,from_percent,to_percent,percent_per_hour,full_runtime_seconds,"
    "estimate_error_percent,ended,asleep_seconds,host";

namespace {

std::string Percent(int value) {
    return value < 0 ? "" : std::to_string(value);
}

std::string Fixed(const std::optional<double>& value, int decimals) {
    return value ? FormatFixed(*value, decimals) : "";
}

std::string Host(const std::string& host) {
    return CsvField(SpreadsheetText(host));
}

// The columns that begin every row of a stretch of time.
std::string Stretch(const LogTime& start, const LogTime& end, int from, int to) {
    return FormatLogTime(start) + "," + FormatLogTime(end) + "," +
           std::to_string(end.elapsed - start.elapsed) + "," + Percent(from) + "," + Percent(to) +
           ",";
}

const char* EndedName(Charge::Ended ended) {
    switch (ended) {
        case Charge::Ended::Full:
            return "full";
        case Charge::Ended::Unplugged:
            return "unplugged";
        case Charge::Ended::Held:
            return "held";
        case Charge::Ended::Cut:
            break;
    }
    return "cut";
}

}  // namespace

const char* CsvHeader(CsvTable table) {
    switch (table) {
        case CsvTable::Sessions:
            break;
        case CsvTable::Sleeps:
            return "start,end,seconds,from_percent,to_percent,percent_per_hour,host";
        case CsvTable::Charges:
            return "start,end,seconds,from_percent,to_percent,percent_per_hour,seconds_20_to_80,"
                   "ended,held_percent,host";
        case CsvTable::Days:
            return "day,battery_seconds,asleep_seconds,mains_seconds,unlogged_seconds,host";
    }
    return kCsvHeader;
}

std::string CsvLine(const Session& session, const std::string& host) {
    std::string line = FormatLogTime(session.start) + "," + FormatLogTime(session.end) + "," +
                       std::to_string(session.seconds) + "," + Percent(session.fromPercent) + "," +
                       Percent(session.toPercent) + "," + Fixed(session.percentPerHour, 2) + ",";
    if (session.fullRuntimeSeconds) {
        line += FormatFixed(round(*session.fullRuntimeSeconds), 0);
    }
    line += "," + Fixed(session.estimateErrorPercent, 1);
    line += session.endedOnMains ? ",ac," : ",cut,";
    return line + std::to_string(session.asleepSeconds) + "," + Host(host);
}

std::string CsvLine(const SleepGap& sleep, const std::string& host) {
    return Stretch(sleep.start, sleep.end, sleep.fromPercent, sleep.toPercent) +
           Fixed(SleepDrain(sleep), 2) + "," + Host(host);
}

std::string CsvLine(const Charge& charge, const std::string& host) {
    return Stretch(charge.start, charge.end, charge.fromPercent, charge.toPercent) +
           Fixed(charge.percentPerHour, 2) + "," +
           (charge.seconds20To80 ? std::to_string(*charge.seconds20To80) : "") + "," +
           EndedName(charge.ended) + "," + Percent(charge.heldPercent) + "," + Host(host);
}

std::string CsvLine(const DayUsage& day, const std::string& host) {
    auto seconds = [](double value) { return FormatFixed(round(value), 0); };
    return FormatIsoDate(day.firstDay) + "," + seconds(day.battery) + "," + seconds(day.asleep) +
           "," + seconds(day.mains) + "," + seconds(day.unlogged) + "," + Host(host);
}

CsvWriter::CsvWriter(FILE* out, CsvTable table) : out_(out), table_(table) {
    fprintf(out_, "%s\n", CsvHeader(table));
}

void CsvWriter::OnSession(const std::string& host, const Session& session) {
    if (table_ == CsvTable::Sessions) {
        fprintf(out_, "%s\n", CsvLine(session, host).c_str());
    } else if (table_ == CsvTable::Sleeps) {
        for (const SleepGap& sleep : session.sleeps) {
            fprintf(out_, "%s\n", CsvLine(sleep, host).c_str());
        }
    }
}

void CsvWriter::OnCharge(const std::string& host, const Charge& charge) {
    if (table_ == CsvTable::Charges) {
        fprintf(out_, "%s\n", CsvLine(charge, host).c_str());
    }
}

void CsvWriter::WriteDays(const std::vector<const MachineLog*>& machines) {
    if (table_ != CsvTable::Days) {
        return;
    }
    for (const MachineLog* machine : machines) {
        for (const auto& [first, day] : machine->Usage().Days()) {
            fprintf(out_, "%s\n", CsvLine(day, machine->Host()).c_str());
        }
    }
}
