// The battery time estimate over scripted timelines: what it publishes,
// second by second, as the draw, the charge and the power source move.
#include <gtest/gtest.h>

#include <vector>

#include "platform/linux/battery_time_estimate.h"

namespace {

const uint32_t kNone = 0xFFFFFFFFu;
const int64_t kWatt = 1000000;  // µW

const int64_t kDriverSeconds = 5000;  // every driver's own time_to_empty_now

// From the reading after the previous step up to `until` seconds, one
// reading every `intervalMs` with these facts, each of which must give
// these times. 10 Wh are left of 20 Wh unless a step says otherwise, so at
// 10 W the battery lasts 3600 s of 7200 s; an amount left of -1 is a
// reading without any figures (no unit).
struct Step {
    int until;
    int sleptSeconds;  // boot clock ahead of the monotonic clock
    bool onBattery;
    int percent;
    int batteries;
    int64_t draw;
    uint32_t remaining, full;
    int64_t left = 10 * kWatt, fullAmount = 20 * kWatt;
    int intervalMs = 1000;
};

struct Timeline {
    const char* name;
    std::vector<Step> steps;
};

void Play(const Timeline& timeline) {
    BatteryTimeEstimate estimate;
    ClearBatteryTimeEstimate(&estimate);
    int64_t ms = 0;
    for (const Step& step : timeline.steps) {
        for (; ms <= step.until * 1000LL; ms += step.intervalMs) {
            BatteryTimeFacts facts = {step.onBattery, (uint8_t)step.percent, step.batteries,
                                      step.left < 0 ? kUnitNone : kUnitEnergy, step.left,
                                      step.fullAmount, step.draw, kDriverSeconds};
            SourceClocks clocks = {ms, ms + step.sleptSeconds * 1000LL};
            SYSTEM_POWER_STATUS status = {};
            EstimateBatteryTimes(&estimate, &facts, &clocks, &status);
            EXPECT_EQ(step.remaining, status.BatteryLifeTime) << timeline.name << " at " << ms;
            EXPECT_EQ(step.full, status.BatteryFullLifeTime) << timeline.name << " at " << ms;
        }
    }
}

TEST(BatteryTimeEstimate, Timelines) {
    const Timeline timelines[] = {
        {"noise holds; a percent step publishes the mean",
         {{0, 0, true, 50, 1, 10 * kWatt, 3600, 7200},
          {1, 0, true, 50, 1, 12 * kWatt, 3600, 7200},
          {2, 0, true, 50, 1, 8 * kWatt, 3600, 7200},
          {3, 0, true, 49, 1, 14 * kWatt, 3272, 6545}}},
        {"the mean moving by a quarter holds, by more publishes",
         {{0, 0, true, 50, 1, 10 * kWatt, 3600, 7200},
          {1, 0, true, 50, 1, 15 * kWatt, 3600, 7200},    // mean 12.5 W
          {2, 0, true, 50, 1, 17 * kWatt, 2571, 5142},    // mean 14 W
          {3, 0, true, 50, 1, 14 * kWatt, 2571, 5142}}},  // mean 14 W
        {"a battery coming publishes",
         {{0, 0, true, 50, 1, 10 * kWatt, 3600, 7200},
          {1, 0, true, 50, 2, 11 * kWatt, 3428, 6857}}},
        {"no draw adds no sample, nor does a poll without figures; the last leaves after 2 min",
         {{0, 0, true, 50, 1, 10 * kWatt, 3600, 7200},
          {60, 0, true, 50, 1, 0, 3600, 7200},
          {61, 0, true, 50, 1, 0, 3600, 7200, -1, -1},
          {119, 0, true, 50, 1, 0, 3600, 7200},
          {120, 0, true, 50, 1, 0, kDriverSeconds, kNone},
          {121, 0, true, 50, 1, 20 * kWatt, 1800, 3600}}},
        {"unplugged: the charging draw is stale; a fresh one in the settling time, times at 10 s",
         {{0, 0, true, 50, 1, 10 * kWatt, 3600, 7200},
          {1, 0, false, 50, 1, 30 * kWatt, kNone, kNone},
          {2, 0, true, 50, 1, 30 * kWatt, kNone, kNone},
          {11, 0, true, 50, 1, 20 * kWatt, kNone, kNone},
          {12, 0, true, 50, 1, 20 * kWatt, 1800, 3600}}},
        {"unplugged: a stale leftover, then the fresh draw gives the times at once",
         {{0, 0, true, 50, 1, 10 * kWatt, 3600, 7200},
          {1, 0, false, 50, 1, 10 * kWatt, kNone, kNone},
          {20, 0, true, 50, 1, kWatt / 2, kNone, kNone},
          {30, 0, true, 50, 1, 11 * kWatt, 3272, 6545}}},
        {"on mains from the start: a draw that never moves is trusted 30 s after the unplug",
         {{3, 0, false, 50, 1, 10 * kWatt, kNone, kNone},
          {33, 0, true, 49, 1, 10 * kWatt, kNone, kNone},
          {34, 0, true, 49, 1, 10 * kWatt, 3600, 7200}}},
        {"no draw at all: the driver's time 30 s after the unplug",
         {{0, 0, false, 50, 1, 0, kNone, kNone},
          {30, 0, true, 50, 1, 0, kNone, kNone},
          {31, 0, true, 50, 1, 0, kDriverSeconds, kNone}}},
        {"woken from suspend, also after one second: the draw from before is stale",
         {{5, 0, true, 50, 1, 10 * kWatt, 3600, 7200},
          {8, 600, true, 48, 1, 10 * kWatt, kNone, kNone},
          {15, 600, true, 48, 1, 20 * kWatt, kNone, kNone},
          {16, 600, true, 48, 1, 20 * kWatt, 1800, 3600},
          {17, 601, true, 48, 1, 20 * kWatt, kNone, kNone},
          {26, 601, true, 48, 1, 10 * kWatt, kNone, kNone},
          {27, 601, true, 48, 1, 10 * kWatt, 3600, 7200}}},
        {"two readings a second: the mean of the last 128, one of them 10 W",
         {{106, 0, true, 50, 1, 10 * kWatt, 3600, 7200, 10 * kWatt, 20 * kWatt, 500},
          {169, 0, true, 50, 1, 12 * kWatt, 3600, 7200, 10 * kWatt, 20 * kWatt, 500},
          {170, 0, true, 49, 1, 12 * kWatt, 3003, 6007, 10 * kWatt, 20 * kWatt, 500}}},
        {"an empty battery lasts 0 s; a full amount of 0 gives no full life",
         {{0, 0, true, 0, 1, 10 * kWatt, 0, 7200, 0},
          {1, 0, true, 1, 1, 10 * kWatt, 3600, kNone, 10 * kWatt, 0}}},
        {"240 hours is reported", {{0, 0, true, 50, 1, kWatt, 864000, kNone, 240 * kWatt, 0}}},
        {"beyond 240 hours is not reported",
         {{0, 0, true, 50, 1, 40000, kNone, kNone},
          {1, 0, true, 49, 1, 43334, 863993, kNone}}},  // mean 41667 µW
    };
    for (const Timeline& timeline : timelines) {
        Play(timeline);
    }
}

// Without a draw of our own, the driver's time, held like any other.
TEST(BatteryTimeEstimate, DriverTimeOnlyWithoutADraw) {
    BatteryTimeEstimate estimate;
    ClearBatteryTimeEstimate(&estimate);
    struct {
        int64_t draw, timeToEmpty;
        int percent;
        uint32_t remaining;
    } readings[] = {{0, 579, 64, 579}, {0, 570, 64, 579}, {0, 560, 63, 560},
                    {0, 900000, 62, kNone}, {0, 0, 61, kNone}, {5 * kWatt, 560, 62, 7200}};
    int second = 0;
    for (const auto& r : readings) {
        BatteryTimeFacts facts = {true, (uint8_t)r.percent, 1, kUnitEnergy, 10 * kWatt, -1,
                                  r.draw, r.timeToEmpty};
        SourceClocks clocks = {second * 1000LL, second * 1000LL};
        second++;
        SYSTEM_POWER_STATUS status = {};
        EstimateBatteryTimes(&estimate, &facts, &clocks, &status);
        EXPECT_EQ(r.remaining, status.BatteryLifeTime) << r.timeToEmpty;
        EXPECT_EQ(kNone, status.BatteryFullLifeTime) << r.timeToEmpty;
    }
}

}  // namespace
