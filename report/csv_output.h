// The sessions as CSV, one line each, written as each session ends: the
// form scripts and spreadsheets take.
#ifndef TOLVANE_REPORT_CSV_OUTPUT_H
#define TOLVANE_REPORT_CSV_OUTPUT_H

#include <stdio.h>

#include <string>

#include "report/log_types.h"

extern const char* const kCsvHeader;

// One line without its line feed: times as YYYY-MM-DDTHH:MM:SS (with the
// offset where the journal gave one), the drain with two decimals, the
// error with one, an empty field where a figure has no value.
std::string CsvLine(const Session& session);

class CsvWriter : public LogListener {
public:
    explicit CsvWriter(FILE* out);  // writes the header
    void OnReport(const Report&) override {}
    void OnRunEnd() override {}
    void OnSession(const Session& session) override;

private:
    FILE* out_;
};

// A time as the log showed it, with the journal's offset where it gave one.
std::string FormatLogTime(const LogTime& time);

// printf's "%.Nf", but never "-0.0" for a value that rounds to zero.
std::string FormatFixed(double value, int decimals);

#endif
