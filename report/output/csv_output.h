// The report's tables as CSV, one line a row: the form scripts and
// spreadsheets take. The sessions (the default), the sleeps on battery and
// the charges are written as each ends; the days at the end of the log.
#ifndef TOLVANE_REPORT_OUTPUT_CSV_OUTPUT_H
#define TOLVANE_REPORT_OUTPUT_CSV_OUTPUT_H

#include <stdio.h>

#include <string>
#include <vector>

#include "report/figures/machine_log.h"

enum class CsvTable { Sessions, Sleeps, Charges, Days };

// The sessions' header: its first nine columns keep their names and order
// from the first release; new ones only ever come after them. Every
// table's header ends in `host`.
extern const char* const kCsvHeader;
const char* CsvHeader(CsvTable table);

// One line without its line feed: times as YYYY-MM-DDTHH:MM:SS (with the
// offset where the journal gave one), the drain with two decimals, the
// error with one, an empty field where a figure has no value; `host` last
// (empty for a log from tee), kept from being taken for a formula.
std::string CsvLine(const Session& session, const std::string& host);
std::string CsvLine(const SleepGap& sleep, const std::string& host);
std::string CsvLine(const Charge& charge, const std::string& host);
std::string CsvLine(const DayUsage& day, const std::string& host);

class CsvWriter : public MachineRowSink {
public:
    CsvWriter(FILE* out, CsvTable table);  // writes the header
    void OnSession(const std::string& host, const Session& session) override;
    void OnCharge(const std::string& host, const Charge& charge) override;
    // The days, once the log has been read.
    void WriteDays(const std::vector<const MachineLog*>& machines);

private:
    FILE* out_;
    CsvTable table_;
};

#endif
