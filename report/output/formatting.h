// How the report writes its figures, the same in every output: times,
// durations, percentages and counts.
#ifndef TOLVANE_REPORT_OUTPUT_FORMATTING_H
#define TOLVANE_REPORT_OUTPUT_FORMATTING_H

#include <stdint.h>

#include <string>

#include "report/read/log_types.h"

// printf's "%.Nf", but never "-0.0" for a value that rounds to zero.
std::string FormatFixed(double value, int decimals);
// A time as the log showed it, YYYY-MM-DDTHH:MM:SS, with the journal's
// offset where it gave one.
std::string FormatLogTime(const LogTime& time);
// "3h 05m", to the nearest minute; "2 days 3h 05m" with `days`.
std::string FormatDuration(double seconds, bool days = false);
// "YYYY-MM-DD HH:MM".
std::string FormatMinute(const CivilTime& time);
// The end of a stretch that began at `start`: "HH:MM" on the same day,
// "MM-DD HH:MM" in the same year, else as FormatMinute.
std::string FormatEnd(const CivilTime& start, const CivilTime& end);
// "57%"; "" where the charge is not known (negative).
std::string FormatPercent(int value);
// A median estimate error: "+4.1%", "-12.0%", "0.0%".
std::string FormatError(double percent);
// A text cell of a CSV as a spreadsheet shows it and never runs it: one
// that begins with = + - @, a tab or a CR (a formula, to a spreadsheet)
// gets a ' in front. For text only: a number stays as it is.
std::string SpreadsheetText(const std::string& text);
// "1 session", "8 sessions".
std::string FormatCount(int64_t count, const char* noun);

#endif
