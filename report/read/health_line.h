// The battery health line, "MM/DD/YY HH:MM:SS  Battery health: " and a CSV
// record of one battery's reading: its one form, as `--batteries
// --format=log` writes it into a battery log and as the log reader reads
// it back.
#ifndef TOLVANE_REPORT_READ_HEALTH_LINE_H
#define TOLVANE_REPORT_READ_HEALTH_LINE_H

#include <time.h>

#include <string>
#include <string_view>
#include <vector>

#include "report/batteries/battery_info.h"
#include "report/read/civil_time.h"

extern const char* const kBatteryCsvHeader;  // without the line end

// One battery as a CSV record, without the line end: its fields in the
// header's order, empty where unknown, watt-hours with two decimals, the
// health with one (empty where it is not plausible); a field holding a
// comma, a quote or a line break is quoted ("..." with "" inside).
std::string BatteryCsvRecord(const BatteryInfo& info);

// For the log: per battery the monitor's stamp of `localTime`, two spaces,
// "Battery health: " and the CSV record, each line ending in "\n".
// Nothing when there is no battery.
std::string HealthLogLines(const std::vector<BatteryInfo>& batteries, const struct tm& localTime);

// Reads back a line that HealthLogLines wrote (without its line end and
// without any journal prefix). False for anything else: a line cut off, a
// field that is not a number where one belongs, quoting gone wrong.
bool ParseBatteryHealthMessage(std::string_view message, CivilTime* stamp, BatteryInfo* info);

#endif
