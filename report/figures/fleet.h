// The fleet view's figures: for each machine its drain and full runtime in
// its first and last 30 days and the change between them, the machines
// most worth a look first.
#ifndef TOLVANE_REPORT_FIGURES_FLEET_H
#define TOLVANE_REPORT_FIGURES_FLEET_H

#include <stddef.h>

#include <optional>
#include <vector>

#include "report/figures/machine_log.h"

struct FleetRow {
    size_t index;  // of the machine, in the list given
    std::optional<Drain> last;
    std::optional<Drain> first;
    std::optional<double> change;  // of the full runtime, in percent
};

// A row per machine: the largest loss of runtime first; then the machines
// without a trend, the shortest runtime first; then those that never
// drained, by name.
std::vector<FleetRow> FleetRows(const std::vector<const MachineLog*>& machines);

#endif
