// A record of comma-separated fields as RFC 4180 has it, written and read
// back: the health lines in a log are such records.
#ifndef TOLVANE_REPORT_READ_CSV_RECORD_H
#define TOLVANE_REPORT_READ_CSV_RECORD_H

#include <stddef.h>

#include <string>
#include <string_view>
#include <vector>

// A field quoted where it holds a comma, a quote or a line end, a quote
// inside doubled.
std::string CsvField(const std::string& text);

// Splits a record into its fields, quoted only where CsvField quotes them;
// false where the quoting is broken or there are more than `maxFields`.
bool SplitCsvRecord(std::string_view record, size_t maxFields, std::vector<std::string>* fields);

#endif
