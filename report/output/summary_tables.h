// The tables of the summary, cell by cell, as the terminal and the page
// both show them (a machine's sessions and trend, the fleet view): each
// output only lays them out in its own form.
#ifndef TOLVANE_REPORT_OUTPUT_SUMMARY_TABLES_H
#define TOLVANE_REPORT_OUTPUT_SUMMARY_TABLES_H

#include <string>
#include <vector>

#include "report/figures/log_summary.h"
#include "report/figures/machine_log.h"

struct Table {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;  // "" where a figure has no value
};

// The sessions listed: start, end (its time alone on the day it began, no
// year in the year it began),
// length, asleep, from, to, drain, full runtime, estimates, ended.
Table SessionTable(const LogSummary& summary);
// The drain of each of the last 14 days or weeks, and the median rate of
// the charges that ended then (a column only where there are some).
Table TrendTable(const Trend& trend);
// "Median over 8 sessions that drained 2 points or more: 20.7 %/h, full
// 4h 51m." or "" where no session drained 2 points.
std::string MedianLine(const LogSummary& summary);

// The fleet view: one row per machine, the machines most worth a look
// first, for the terminal and the page alike.
struct FleetTable {
    std::string caption;  // how many machines, and how they are sorted
    Table table;          // its rows in the sorted order
    std::vector<size_t> order;  // the machines' indices in that order
};
FleetTable MakeFleetTable(const std::vector<const MachineLog*>& machines);

#endif
