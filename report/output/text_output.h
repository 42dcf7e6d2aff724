// The summary for a person at a terminal.
#ifndef TOLVANE_REPORT_OUTPUT_TEXT_OUTPUT_H
#define TOLVANE_REPORT_OUTPUT_TEXT_OUTPUT_H

#include <stdio.h>

#include <vector>

#include "report/figures/machine_log.h"

// One machine's summary, its batteries' health last.
void WriteTextSummary(FILE* out, const MachineLog& machine);
// The rest of its day: its sleeps on battery, its charges and its use per
// day, the latest of each.
void WriteDayText(FILE* out, const MachineLog& machine);
// Several machines: the fleet table, then each machine's summary.
void WriteFleetText(FILE* out, const std::vector<const MachineLog*>& machines);

#endif
