// What `tolvane-report --batteries` writes: the installed batteries as a
// table for the terminal, as CSV, or as log lines that go into a battery
// log beside the monitor's reports and are read back from it.
#ifndef TOLVANE_REPORT_BATTERY_OUTPUT_H
#define TOLVANE_REPORT_BATTERY_OUTPUT_H

#include <time.h>

#include <string>
#include <string_view>
#include <vector>

#include "report/battery_info.h"
#include "report/civil_time.h"

extern const char* const kBatteryCsvHeader;  // without the line end

// One battery as a CSV record, without the line end: its fields in the
// header's order, empty where unknown, watt-hours with two decimals, the
// health with one; a field holding a comma, a quote or a line break is
// quoted ("..." with "" inside).
std::string BatteryCsvRecord(const BatteryInfo& info);

// The terminal's block per battery, "-" where unknown; one line when there
// is none.
std::string BatteryText(const std::vector<BatteryInfo>& batteries);
// The header and a record per battery, each line ending in "\n".
std::string BatteryCsv(const std::vector<BatteryInfo>& batteries);
// For the log: per battery the monitor's stamp of `localTime`, two spaces,
// "Battery health: " and the CSV record, each line ending in "\n".
// Nothing when there is no battery.
std::string BatteryLogLines(const std::vector<BatteryInfo>& batteries, const struct tm& localTime);

// Reads back a line that BatteryLogLines wrote (without its line end and
// without any journal prefix). False for anything else: a line cut off, a
// field that is not a number where one belongs, quoting gone wrong.
bool ParseBatteryHealthMessage(std::string_view message, CivilTime* stamp, BatteryInfo* info);

#endif
