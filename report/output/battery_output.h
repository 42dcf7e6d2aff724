// What `tolvane-report --batteries` writes for a person or a spreadsheet:
// the installed batteries as a table for the terminal, or as CSV. (As log
// lines, they are written by the health line's own form.)
#ifndef TOLVANE_REPORT_OUTPUT_BATTERY_OUTPUT_H
#define TOLVANE_REPORT_OUTPUT_BATTERY_OUTPUT_H

#include <string>
#include <vector>

#include "report/batteries/battery_info.h"

// The terminal's block per battery, "-" where unknown; one line when there
// is none.
std::string BatteryText(const std::vector<BatteryInfo>& batteries);
// The header and a record per battery, each line ending in "\n".
std::string BatteryCsv(const std::vector<BatteryInfo>& batteries);

#endif
