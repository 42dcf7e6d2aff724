// The summary for a person at a terminal.
#ifndef TOLVANE_REPORT_TEXT_OUTPUT_H
#define TOLVANE_REPORT_TEXT_OUTPUT_H

#include <stdint.h>
#include <stdio.h>

#include <string>

#include "report/log_summary.h"

void WriteTextSummary(FILE* out, const LogSummary& summary);

// "3h 05m", to the nearest minute; "2 days 3h 05m" with `days`.
std::string FormatDuration(double seconds, bool days = false);
// "YYYY-MM-DD HH:MM".
std::string FormatMinute(const CivilTime& time);
// A session's median estimate error: "+4.1%", "-12.0%".
std::string FormatError(double percent);
// "1 session", "8 sessions".
std::string FormatCount(int64_t count, const char* noun);

#endif
