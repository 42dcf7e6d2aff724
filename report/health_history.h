// The batteries' health as read back from the "Battery health:" lines of a
// log: a series per battery, for the summary, the page and a fleet row.
#ifndef TOLVANE_REPORT_HEALTH_HISTORY_H
#define TOLVANE_REPORT_HEALTH_HISTORY_H

#include <stdint.h>

#include <optional>
#include <string>
#include <vector>

#include "report/battery_info.h"
#include "report/civil_time.h"
#include "report/thinned_list.h"

struct HealthPoint {
    int64_t instant = 0;  // UTC seconds
    CivilTime shown;      // the log's local time
    std::optional<double> fullWh, healthPercent;
};

// One battery: the same name, model and design capacity. Another model or
// design under the same name is a battery replaced, and a series of its own.
struct HealthSeries {
    std::string name, manufacturer, model, technology;
    std::optional<double> designWh;
    std::optional<int64_t> cycleCount;  // the latest reading's
    HealthPoint first, latest;          // kept whatever the thinning drops
    ThinnedList<HealthPoint> points{kPoints};
    int64_t readings = 0;

    static constexpr size_t kPoints = 512;
};

class HealthHistory {
public:
    // One reading at `instant` (UTC seconds) shown as `shown` (the log's
    // local time). Readings with neither a full capacity nor a health say
    // nothing about wear and are left out.
    void Add(int64_t instant, const CivilTime& shown, const BatteryInfo& info);
    bool Empty() const { return series_.empty(); }
    // In the order of their first readings.
    std::vector<const HealthSeries*> Series() const;
    // The batteries of the latest reading: those whose latest reading is
    // within a day of the newest one.
    std::vector<const HealthSeries*> Current() const;

    // A machine that reports more batteries than this keeps the ones read
    // most recently.
    static constexpr size_t kMaxSeries = 8;

private:
    std::vector<HealthSeries> series_;
};

// Lines for the terminal summary: each battery's health first and latest,
// the change per 100 days (where its readings span 30 days or more), and
// how long a full charge lasts at `drainPercentPerHour` (the median drain
// of the last 30 days; none: no estimate), now and at design capacity.
// "" when the history is empty.
std::string HealthSummaryText(const HealthHistory& history,
                              std::optional<double> drainPercentPerHour);
// An HTML section: a heading, the full charge capacity against design over
// time as inline SVG (one line per battery) and the same estimates. ""
// when the history is empty.
std::string HealthHtmlSection(const HealthHistory& history,
                              std::optional<double> drainPercentPerHour);
// The latest health of the machine's batteries, e.g. "86.7%"; "" when none.
std::string LatestHealthText(const HealthHistory& history);

// The health of the batteries of the latest reading together: their full
// capacities over their designs, or the mean of their healths where a
// battery gives no watt-hours.
std::optional<double> CurrentHealth(const HealthHistory& history);
// How long a full charge lasts at that drain now and at design capacity,
// one sentence; "" without a drain to go by.
std::string HealthEstimateText(const HealthHistory& history,
                               std::optional<double> drainPercentPerHour);
// A reading's health: as read, or from its full capacity and the design.
std::optional<double> HealthOf(const HealthSeries& series, const HealthPoint& point);

#endif
