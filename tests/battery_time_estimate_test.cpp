// The battery time estimate over scripted timelines: what it publishes,
// second by second, as the draw, the charge and the power source move.
#include <gtest/gtest.h>

#include <vector>

#include "platform/linux/battery_time_estimate.h"

namespace {

const uint32_t kNone = 0xFFFFFFFFu;
const int64_t kWatt = 1000000;  // µW

// From the second after the previous step up to `until`, one reading a
// second with these facts, each of which must give these times. 10 Wh are
// left of 20 Wh, so at 10 W the battery lasts 3600 s of 7200 s.
struct Step {
    int until;
    int sleptSeconds;  // boot clock ahead of the monotonic clock
    bool onBattery;
    int percent;
    int batteries;
    int64_t draw;
    uint32_t remaining, full;
};

struct Timeline {
    const char* name;
    std::vector<Step> steps;
};

void Play(const Timeline& timeline) {
    BatteryTimeEstimate estimate;
    ClearBatteryTimeEstimate(&estimate);
    int second = 0;
    for (const Step& step : timeline.steps) {
        for (; second <= step.until; second++) {
            BatteryTimeFacts facts = {step.onBattery, (uint8_t)step.percent, step.batteries,
                                      kUnitEnergy, 10 * kWatt, 20 * kWatt, step.draw, -1};
            SourceClocks clocks = {second * 1000LL, (second + step.sleptSeconds) * 1000LL};
            SYSTEM_POWER_STATUS status = {};
            EstimateBatteryTimes(&estimate, &facts, &clocks, &status);
            EXPECT_EQ(step.remaining, status.BatteryLifeTime) << timeline.name << " at " << second;
            EXPECT_EQ(step.full, status.BatteryFullLifeTime) << timeline.name << " at " << second;
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
        {"no draw adds no sample; the last one leaves after two minutes",
         {{0, 0, true, 50, 1, 10 * kWatt, 3600, 7200},
          {119, 0, true, 50, 1, 0, 3600, 7200},
          {120, 0, true, 50, 1, 0, kNone, kNone},
          {121, 0, true, 50, 1, 20 * kWatt, 1800, 3600}}},
        {"unplugged: ten seconds of settling on the draw since",
         {{0, 0, true, 50, 1, 10 * kWatt, 3600, 7200},
          {1, 0, false, 50, 1, 30 * kWatt, kNone, kNone},
          {11, 0, true, 50, 1, 20 * kWatt, kNone, kNone},
          {12, 0, true, 50, 1, 20 * kWatt, 1800, 3600}}},
        {"on mains from the start: settling after the unplug too",
         {{3, 0, false, 50, 1, 10 * kWatt, kNone, kNone},
          {13, 0, true, 49, 1, 10 * kWatt, kNone, kNone},
          {14, 0, true, 49, 1, 10 * kWatt, 3600, 7200}}},
        {"resumed from suspend: ten seconds of settling on the draw since",
         {{5, 0, true, 50, 1, 10 * kWatt, 3600, 7200},
          {15, 600, true, 48, 1, 20 * kWatt, kNone, kNone},
          {16, 600, true, 48, 1, 20 * kWatt, 1800, 3600}}},
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
                    {0, 900000, 62, kNone}, {5 * kWatt, 560, 62, 7200}};
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
