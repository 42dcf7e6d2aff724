#include "platform/linux/battery_time_estimate.h"

#include <string.h>

// A draw beyond this is no real machine's; the cap keeps the window's sum,
// and a quarter of it times four, within 64 bits.
static const int64_t kLargestDraw = INT64_MAX / (4 * kDrawSampleSlots);
// The boot clock running this far ahead of the monotonic one since the last
// reading means the machine was suspended in between.
static const int64_t kSuspendMs = 1000;

void ClearBatteryTimeEstimate(BatteryTimeEstimate* estimate) {
    memset(estimate, 0, sizeof *estimate);
}

static void ForgetDraws(BatteryTimeEstimate* estimate) {
    estimate->sampleFirst = 0;
    estimate->sampleCount = 0;
    estimate->sampleSum = 0;
}

static void DropOldestDraw(BatteryTimeEstimate* estimate) {
    estimate->sampleSum -= estimate->sampleDraw[estimate->sampleFirst];
    estimate->sampleFirst = (estimate->sampleFirst + 1) % kDrawSampleSlots;
    estimate->sampleCount--;
}

// Adds this reading's draw, if it has one, and drops what has left the
// window. Returns the mean draw of the window, 0 when it is empty.
static int64_t AverageDraw(BatteryTimeEstimate* estimate, const BatteryTimeFacts* facts,
                           int64_t nowMs) {
    if (facts->unit != kUnitNone && facts->unit != estimate->sampleUnit) {
        ForgetDraws(estimate);  // watts and amperes don't average
        estimate->sampleUnit = facts->unit;
    }
    if (facts->draw > 0) {
        if (estimate->sampleCount == kDrawSampleSlots) {
            DropOldestDraw(estimate);
        }
        int64_t draw = facts->draw < kLargestDraw ? facts->draw : kLargestDraw;
        int slot = (estimate->sampleFirst + estimate->sampleCount) % kDrawSampleSlots;
        estimate->sampleAtMs[slot] = nowMs;
        estimate->sampleDraw[slot] = draw;
        estimate->sampleSum += draw;
        estimate->sampleCount++;
    }
    while (estimate->sampleCount > 0 &&
           estimate->sampleAtMs[estimate->sampleFirst] <= nowMs - kDrawWindowMs) {
        DropOldestDraw(estimate);
    }
    return estimate->sampleCount > 0 ? estimate->sampleSum / estimate->sampleCount : 0;
}

static uint32_t Plausible(int64_t seconds) {
    return seconds >= 0 && seconds <= kLongestPlausibleSeconds ? (uint32_t)seconds
                                                               : kLifeTimeNotReported;
}

static void Publish(BatteryTimeEstimate* estimate, const BatteryTimeFacts* facts, int64_t draw) {
    const int64_t cap = kLongestPlausibleSeconds + 1;
    estimate->published = true;
    estimate->publishedPercent = facts->percent;
    estimate->publishedBatteryCount = facts->batteryCount;
    estimate->publishedDraw = draw;
    estimate->remaining = kLifeTimeNotReported;
    estimate->full = kLifeTimeNotReported;
    if (draw > 0 && facts->amountLeft >= 0) {
        estimate->remaining = Plausible(ScaledRatio(facts->amountLeft, draw, 3600, cap));
    } else if (facts->reportedTimeToEmpty > 0) {
        // The driver's own figure, only where we have no draw: some gauges
        // give it in minutes.
        estimate->remaining = Plausible(facts->reportedTimeToEmpty);
    }
    if (draw > 0 && facts->amountFull > 0) {
        estimate->full = Plausible(ScaledRatio(facts->amountFull, draw, 3600, cap));
    }
}

// Whether this reading's draw is the gauge's own since the change: it
// differs from the first one read after the change, or 30 s have passed.
static bool DrawIsFresh(const BatteryTimeEstimate* estimate, const BatteryTimeFacts* facts,
                        int64_t nowMs) {
    return facts->draw != estimate->staleDraw || nowMs - estimate->changedAtMs >= kStaleDrawMs;
}

static bool DrawMoved(int64_t draw, int64_t publishedDraw) {
    if (draw == 0 || publishedDraw == 0) {
        return draw != publishedDraw;
    }
    int64_t change = draw > publishedDraw ? draw - publishedDraw : publishedDraw - draw;
    return change * 4 > publishedDraw;
}

void EstimateBatteryTimes(BatteryTimeEstimate* estimate, const BatteryTimeFacts* facts,
                          const SourceClocks* clocks, SYSTEM_POWER_STATUS* status) {
    int64_t nowMs = clocks->monotonicMs;
    int64_t sleptMs = clocks->bootMs - clocks->monotonicMs;
    bool resumed = estimate->started && sleptMs - estimate->sleptMs >= kSuspendMs;
    bool sourceChanged = estimate->started && facts->onBattery != estimate->onBattery;
    estimate->started = true;
    estimate->sleptMs = sleptMs;
    estimate->onBattery = facts->onBattery;
    if (resumed || sourceChanged) {
        // The draw before is no guide to the draw now, and the gauge may
        // still be showing it.
        ForgetDraws(estimate);
        estimate->settling = true;
        estimate->awaitingFreshDraw = true;
        estimate->changedAtMs = nowMs;
        estimate->staleDraw = facts->draw;
        estimate->published = false;
    }
    status->BatteryLifeTime = kLifeTimeNotReported;
    status->BatteryFullLifeTime = kLifeTimeNotReported;
    if (!facts->onBattery) {
        return;
    }
    if (estimate->awaitingFreshDraw && DrawIsFresh(estimate, facts, nowMs)) {
        estimate->awaitingFreshDraw = false;
    }
    int64_t draw = estimate->awaitingFreshDraw ? 0 : AverageDraw(estimate, facts, nowMs);
    if (estimate->settling) {
        int64_t sinceChangeMs = nowMs - estimate->changedAtMs;
        if (sinceChangeMs < kSettlingMs ||
            (estimate->sampleCount == 0 && sinceChangeMs < kStaleDrawMs)) {
            return;
        }
        estimate->settling = false;
    }
    if (!estimate->published || facts->percent != estimate->publishedPercent ||
        facts->batteryCount != estimate->publishedBatteryCount ||
        DrawMoved(draw, estimate->publishedDraw)) {
        Publish(estimate, facts, draw);
    }
    status->BatteryLifeTime = estimate->remaining;
    status->BatteryFullLifeTime = estimate->full;
}
