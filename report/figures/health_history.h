// The batteries' health as read back from the "Battery health:" lines of a
// log: a series per battery, for the summary, the page and a fleet row.
#ifndef TOLVANE_REPORT_FIGURES_HEALTH_HISTORY_H
#define TOLVANE_REPORT_FIGURES_HEALTH_HISTORY_H

#include <stdint.h>

#include <optional>
#include <string>
#include <vector>

#include "report/batteries/battery_info.h"
#include "report/read/civil_time.h"
#include "report/figures/thinned_list.h"

struct HealthPoint {
    int64_t instant = 0;  // UTC seconds
    CivilTime shown;      // the log's local time
    std::optional<double> fullWh, healthPercent;
    std::optional<int64_t> cycleCount;
};

// A reading's cycle count and when it was read.
struct CycleMark {
    int64_t instant = 0;
    int64_t cycles = 0;
};

// One battery: the same name, model and design capacity, its cycle count
// never falling. Another model or design under the same name, or a count
// that falls (the same model put in again), is a battery replaced, and a
// series of its own.
struct HealthSeries {
    std::string name, manufacturer, model, technology;
    std::optional<double> designWh;
    HealthPoint first, latest;          // kept whatever the thinning drops
    // The earliest and the latest readings that gave a cycle count.
    std::optional<CycleMark> earliestCount, latestCount;
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
    // A reading dated more than a day before the machine's first report,
    // or after its last (see HealthReadings): counted, never kept.
    void SetAside(bool beforeReports) { (beforeReports ? setAsideBefore_ : setAsideAfter_)++; }
    int64_t SetAsideBefore() const { return setAsideBefore_; }
    int64_t SetAsideAfter() const { return setAsideAfter_; }
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
    int64_t setAsideBefore_ = 0, setAsideAfter_ = 0;
};

// The health of the batteries of the latest reading together: their full
// capacities over their designs, or the mean of their healths where a
// battery gives no watt-hours or no plausible health.
std::optional<double> CurrentHealth(const HealthHistory& history);
// A reading's health: as read, or from its full capacity and the design;
// none where that is not plausible (see PlausibleHealth).
std::optional<double> HealthOf(const HealthSeries& series, const HealthPoint& point);
// The health a reading gives that is not plausible; none where it gives a
// plausible one or none at all.
std::optional<double> ImplausibleHealthOf(const HealthSeries& series, const HealthPoint& point);

#endif
