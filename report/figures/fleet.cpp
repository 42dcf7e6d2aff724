#include "report/figures/fleet.h"

#include <algorithm>

namespace {

// Machines whose sessions span this long have a wear trend: their first
// and last 30 days don't overlap.
const double kTrendDays = 60;

}  // namespace

std::vector<FleetRow> FleetRows(const std::vector<const MachineLog*>& machines) {
    std::vector<FleetRow> rows;
    for (size_t i = 0; i < machines.size(); i++) {
        const LogSummary& summary = machines[i]->Summary();
        FleetRow row{i, summary.LastDays(), summary.FirstDays(), std::nullopt};
        if (row.last && row.first && summary.SessionSpanDays() >= kTrendDays) {
            row.change =
                (row.last->fullRuntimeSeconds / row.first->fullRuntimeSeconds - 1) * 100;
        }
        rows.push_back(row);
    }
    std::stable_sort(rows.begin(), rows.end(), [&](const FleetRow& a, const FleetRow& b) {
        if (a.change.has_value() != b.change.has_value()) {
            return a.change.has_value();
        }
        if (a.change) {
            return *a.change < *b.change;
        }
        if (a.last.has_value() != b.last.has_value()) {
            return a.last.has_value();
        }
        if (a.last) {
            return a.last->fullRuntimeSeconds < b.last->fullRuntimeSeconds;
        }
        return machines[a.index]->Host() < machines[b.index]->Host();
    });
    return rows;
}
