// Linux: the remaining and full battery life as a settled estimate.
//
// The kernel gives the present draw, which wanders from second to second;
// a time worked out from it afresh on every poll would change, and be
// reported, every second. Here the draw is averaged over the last two
// minutes, and the published times are worked out again only when there is
// news: the charge percent moved, a battery came or went, the averaged draw
// moved by more than a quarter, or a settling time ended. After the power
// source changes, or the machine wakes from suspend, the history is
// forgotten and the times are not reported for ten seconds.
//
// Pure: the clocks come in with every reading, so any timeline can be
// played through it. Fixed size, no heap.
#ifndef TOLVANE_PLATFORM_LINUX_BATTERY_TIME_ESTIMATE_H
#define TOLVANE_PLATFORM_LINUX_BATTERY_TIME_ESTIMATE_H

#include <stdint.h>

#include "platform/linux/power_supply_mapping.h"

// The two clocks of one reading, in milliseconds. The monotonic clock stands
// still while the machine is suspended; the boot clock runs on.
struct SourceClocks {
    int64_t monotonicMs;
    int64_t bootMs;
};

const int64_t kDrawWindowMs = 120000;
const int64_t kSettlingMs = 10000;
const int64_t kLongestPlausibleSeconds = 240 * 3600;
// One sample a poll, one poll a second: room for the whole window.
const int kDrawSampleSlots = 128;

// All zero (ClearBatteryTimeEstimate, or a static) is the state at start.
struct BatteryTimeEstimate {
    bool started;
    bool onBattery;
    bool settling;
    bool published;
    int64_t sleptMs;          // boot clock less monotonic clock at the last reading
    int64_t settledAtMs;      // monotonic time at which settling ends
    AmountUnit sampleUnit;    // of the draws in the window
    int sampleFirst;
    int sampleCount;
    int64_t sampleSum;
    int64_t sampleAtMs[kDrawSampleSlots];
    int64_t sampleDraw[kDrawSampleSlots];
    // What the published times were made from, and the times.
    uint8_t publishedPercent;
    int publishedBatteryCount;
    int64_t publishedDraw;
    uint32_t remaining;
    uint32_t full;
};

void ClearBatteryTimeEstimate(BatteryTimeEstimate* estimate);

// Sets the two times of *status from this reading's facts and what came
// before; everything else of the record is left as it is.
void EstimateBatteryTimes(BatteryTimeEstimate* estimate, const BatteryTimeFacts* facts,
                          const SourceClocks* clocks, SYSTEM_POWER_STATUS* status);

#endif
