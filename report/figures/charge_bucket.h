// One bucket of the charge chart's series: a stretch of equal time with
// the lowest and highest charge in it, and what it spent on mains, on
// battery and asleep.
#ifndef TOLVANE_REPORT_FIGURES_CHARGE_BUCKET_H
#define TOLVANE_REPORT_FIGURES_CHARGE_BUCKET_H

#include <stdint.h>

struct ChargeBucket {
    bool any = false;        // holds a charge
    bool startsRun = false;  // its first charge begins a line: none from the bucket before
    int low = 0;
    int high = 0;
    int64_t firstAt = 0;  // elapsed seconds of its first charge,
    int64_t lowAt = 0;    // of the lowest and of the highest
    int64_t highAt = 0;
    double mainsSeconds = 0;
    double batterySeconds = 0;
    int64_t batteryFrom = 0;  // the first and last moment on battery in it
    int64_t batteryTo = 0;
    int64_t sessions = 0;  // sessions on battery begun in it
    double asleepSeconds = 0;  // asleep on battery, from the first moment to the last
    int64_t asleepFrom = 0;
    int64_t asleepTo = 0;

    bool OnBattery() const { return batterySeconds > 0 || sessions > 0; }
};

// Two neighbours as one bucket of twice the time.
ChargeBucket Merge(const ChargeBucket& first, const ChargeBucket& second);
// Widens the bucket's stretch on battery (or asleep) to take in [from, to].
void MarkBattery(ChargeBucket* bucket, int64_t from, int64_t to);
void MarkAsleep(ChargeBucket* bucket, int64_t from, int64_t to);

#endif
