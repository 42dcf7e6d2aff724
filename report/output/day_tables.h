// The rest of a machine's day, cell by cell, for the terminal and the page
// alike: its sleeps on battery, its charges, and its use per day.
#ifndef TOLVANE_REPORT_OUTPUT_DAY_TABLES_H
#define TOLVANE_REPORT_OUTPUT_DAY_TABLES_H

#include <stddef.h>

#include <string>

#include "report/figures/machine_log.h"
#include "report/output/summary_tables.h"

// The latest `rows` sleeps: start, end, length, from, to, the drain asleep
// ("<0.34" where the charge fell less than a point: under that bound), and
// "fast" for one that drained faster than a working suspend should.
Table SleepTable(const SleepLog& sleeps, size_t rows);
// "3 sleeps on battery, 10h 20m in all: a median 0.25 %/h asleep against
// 12.1 %/h awake." and where some drained fast, a line on them; "" where
// there was no sleep.
std::string SleepLine(const SleepLog& sleeps, const LogSummary& summary);

// The latest `rows` charges: start, end, length, from, to, the rate (with
// the part it is over where that is not 20 to 80 %), 20 to 80 %, ended.
Table ChargeTable(const ChargeLog& charges, size_t rows);
// "5 charges on mains: a median 38.2 %/h." or "".
std::string ChargeLine(const ChargeLog& charges);

// The time on battery, asleep, on mains and not logged of the last `rows`
// days, or weeks where `byWeek`.
Table UsageTable(const UsageBook& usage, bool byWeek, size_t rows);
// Whether the days go by week: as the trend does, or, without one, where
// they span four weeks or more.
bool UsageByWeek(const LogSummary& summary, const UsageBook& usage);

#endif
