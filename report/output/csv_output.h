// The sessions as CSV, one line each, written as each session ends: the
// form scripts and spreadsheets take.
#ifndef TOLVANE_REPORT_OUTPUT_CSV_OUTPUT_H
#define TOLVANE_REPORT_OUTPUT_CSV_OUTPUT_H

#include <stdio.h>

#include <string>

#include "report/figures/session.h"

// The first nine columns keep their names and order from the first
// release; new ones only ever come after them.
extern const char* const kCsvHeader;

// One line without its line feed: times as YYYY-MM-DDTHH:MM:SS (with the
// offset where the journal gave one), the drain with two decimals, the
// error with one, an empty field where a figure has no value; `host` last
// (empty for a log from tee), kept from being taken for a formula.
std::string CsvLine(const Session& session, const std::string& host);

class CsvWriter : public MachineSessionSink {
public:
    explicit CsvWriter(FILE* out);  // writes the header
    void OnSession(const std::string& host, const Session& session) override;

private:
    FILE* out_;
};

#endif
