// Which of a machine's health readings go into its history: those its
// reports vouch for. A reading dated more than a day before the machine's
// first report or after its last (stamped at boot before the clock was
// set, or by a clock set wrong) is set aside and counted. A machine
// without reports keeps every reading.
#ifndef TOLVANE_REPORT_FIGURES_HEALTH_READINGS_H
#define TOLVANE_REPORT_FIGURES_HEALTH_READINGS_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "report/batteries/battery_info.h"
#include "report/figures/health_history.h"
#include "report/read/civil_time.h"

class HealthReadings {
public:
    explicit HealthReadings(HealthHistory* history) : history_(history) {}

    // A report at `instant` (UTC seconds): the span grows.
    void OnReport(int64_t instant);
    // A reading: into the history at once where the reports so far vouch
    // for it (the span only grows), else held until the log ends.
    void Add(int64_t instant, const CivilTime& shown, const BatteryInfo& info);
    // The log has ended: each reading still held is kept or set aside.
    void Finish();

    size_t Held() const { return held_.size(); }

    // Readings held at most; past that they are judged by the reports so
    // far: kept where none came yet, else set aside.
    static constexpr size_t kMaxHeld = 1024;

private:
    struct Reading {
        int64_t instant;
        CivilTime shown;
        BatteryInfo info;
    };
    bool Vouched(int64_t instant) const;
    // Each held reading kept (by the span, or where there is no report) or
    // set aside.
    void Judge();

    HealthHistory* history_;
    std::vector<Reading> held_;
    bool reports_ = false;
    int64_t first_ = 0, last_ = 0;  // the earliest and the latest report
};

#endif
