// The fleet view: one row per machine, the machines most worth a look
// first, for the terminal and the page alike.
#ifndef TOLVANE_REPORT_FLEET_TABLE_H
#define TOLVANE_REPORT_FLEET_TABLE_H

#include <string>
#include <vector>

#include "report/machine_log.h"
#include "report/summary_tables.h"

struct FleetTable {
    std::string caption;  // how many machines, and how they are sorted
    Table table;          // its rows in the sorted order
    std::vector<size_t> order;  // the machines' indices in that order
};

FleetTable MakeFleetTable(const std::vector<const MachineLog*>& machines);

// The drain of each of a machine's last 26 weeks as a small inline SVG.
std::string WeeklyDrainSvg(const LogSummary& summary);

#endif
