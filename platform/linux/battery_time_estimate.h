// Linux: the remaining and full battery life as a settled estimate.
//
// The kernel gives the present draw, which wanders from second to second;
// a time worked out from it afresh on every poll would change, and be
// reported, every second. Here the draw is averaged over the last two
// minutes, and the published times are worked out again only when there is
// news: the charge percent moved, a battery came or went, the averaged draw
// moved by more than a quarter, or a settling time ended.
//
// After the power source changes, or the machine wakes from suspend, the
// history is forgotten. Gauges update their rate every few seconds to a
// minute, and until then still show the figure from before: a charging
// rate, 0, or a small leftover. So the first draw read after the change is
// taken as stale, and draws count again only from the first reading whose
// draw differs from it; a draw that never moves is trusted 30 s after the
// change. The draw compared is the reading's summed draw, 0 when it has
// none: a stale 0 ends with the first real draw, and a stale draw falling
// to 0 counts as moved, though 0 adds nothing to the average. A draw in
// the other unit (the batteries going from power to current figures)
// counts as moved too: it comes from other attributes, and the average
// starts afresh on it anyway. The times stay unreported for ten seconds
// after the change and until a counted draw exists; without any draw, what
// there is (the drivers' own time) shows from 30 s on. At start the first
// reading gives the times at once.
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
// The longest a draw from before a change is taken to be stale.
const int64_t kStaleDrawMs = 30000;
const int64_t kLongestPlausibleSeconds = 240 * 3600;
// One sample a poll, one poll a second: room for the whole window.
const int kDrawSampleSlots = 128;

// All zero (ClearBatteryTimeEstimate, or a static) is the state at start.
struct BatteryTimeEstimate {
    bool started;
    bool onBattery;
    bool settling;            // times held back since the last change
    bool awaitingFreshDraw;   // the draw has not moved since the change
    bool published;
    int64_t sleptMs;          // boot clock less monotonic clock at the last reading
    int64_t changedAtMs;      // monotonic time of the last change or wake
    int64_t staleDraw;        // the first draw read after it
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
