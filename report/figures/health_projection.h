// Where a battery's health is headed: the date its health reaches 80 % of
// design (a common threshold for a replacement) at the rate of its last
// 180 days of readings, or why there is none.
#ifndef TOLVANE_REPORT_FIGURES_HEALTH_PROJECTION_H
#define TOLVANE_REPORT_FIGURES_HEALTH_PROJECTION_H

#include <stdint.h>

#include "report/figures/health_history.h"
#include "report/read/civil_time.h"

struct HealthProjection {
    enum class Outcome {
        kNoHealth,   // no plausible health at all
        kBelow,      // at or below 80 % already, since `at`
        kTooShort,   // the readings span under 90 days
        kSparse,     // they do, but those of the last 180 days don't
        kFlat,       // the fitted change over the window is under a point
        kRising,     // it rises by a point or more
        kReaches,    // reaches 80 % at `at`
        kBeyond,     // falling, but not within 20 years
    };
    Outcome outcome = Outcome::kNoHealth;
    // The latest plausible reading, where the projection goes on from.
    int64_t fromInstant = 0;
    CivilTime fromShown;
    double fromHealth = 0;
    // kBelow: the first reading of the run at or below 80 % that goes on to
    // the latest; kReaches: the date 80 % is reached.
    int64_t at = 0;
    CivilTime atShown;
    // What it rests on: the readings fitted (those of the window, or of the
    // whole series where it is too short), the days they span, the fitted
    // rate in points of health per 100 days.
    int64_t readings = 0;
    double days = 0;
    double pointsPer100Days = 0;

    static constexpr double kThreshold = 80;      // percent of design
    static constexpr int64_t kMinDays = 90;       // of readings, at least
    static constexpr int64_t kWindowDays = 180;   // the rate's
    static constexpr int64_t kMaxYears = 20;      // from the latest reading
    static constexpr double kResolution = 1;      // points: less is flat
};

// From the series' kept (thinned) points and its first and latest readings;
// readings whose health is not plausible are left out.
HealthProjection ProjectHealth(const HealthSeries& series);

#endif
