// What `tolvane-report --batteries` writes for a person or a spreadsheet:
// the installed batteries as a table for the terminal, or as CSV. (As log
// lines, they are written by the health line's own form.)
#ifndef TOLVANE_REPORT_OUTPUT_BATTERY_OUTPUT_H
#define TOLVANE_REPORT_OUTPUT_BATTERY_OUTPUT_H

#include <optional>
#include <string>
#include <vector>

#include "report/batteries/battery_info.h"

// The terminal's block per battery, "-" where unknown; one line when there
// is none.
std::string BatteryText(const std::vector<BatteryInfo>& batteries);
// The header and a record per battery, each line ending in "\n".
std::string BatteryCsv(const std::vector<BatteryInfo>& batteries);
// A health that is not plausible, with the figures it was made of where
// they are known: "not plausible (969.00 Wh full against 65.00 Wh design)",
// else "not plausible (1488.3 %)".
std::string NotPlausibleText(std::optional<double> fullWh, std::optional<double> designWh,
                             double healthPercent);

#endif
