#include "report/figures/charge_bucket.h"

#include <algorithm>

ChargeBucket Merge(const ChargeBucket& first, const ChargeBucket& second) {
    ChargeBucket merged = first.any ? first : second;
    // A break before an empty bucket belongs to the charge after it.
    merged.startsRun = first.any ? first.startsRun : first.startsRun || second.startsRun;
    if (first.any && second.any) {
        if (second.low < merged.low) {
            merged.low = second.low;
            merged.lowAt = second.lowAt;
        }
        if (second.high > merged.high) {
            merged.high = second.high;
            merged.highAt = second.highAt;
        }
    }
    merged.mainsSeconds = first.mainsSeconds + second.mainsSeconds;
    merged.batterySeconds = first.batterySeconds + second.batterySeconds;
    merged.sessions = first.sessions + second.sessions;
    merged.asleepSeconds = 0;
    for (const ChargeBucket* part : {&first, &second}) {
        if (part->asleepSeconds > 0) {
            MarkAsleep(&merged, part->asleepFrom, part->asleepTo);
            merged.asleepSeconds += part->asleepSeconds;
        }
    }
    if (first.OnBattery() && second.OnBattery()) {
        merged.batteryFrom = std::min(first.batteryFrom, second.batteryFrom);
        merged.batteryTo = std::max(first.batteryTo, second.batteryTo);
    } else {
        merged.batteryFrom = first.OnBattery() ? first.batteryFrom : second.batteryFrom;
        merged.batteryTo = first.OnBattery() ? first.batteryTo : second.batteryTo;
    }
    return merged;
}

void MarkBattery(ChargeBucket* bucket, int64_t from, int64_t to) {
    if (!bucket->OnBattery()) {
        bucket->batteryFrom = from;
        bucket->batteryTo = to;
    } else {
        bucket->batteryFrom = std::min(bucket->batteryFrom, from);
        bucket->batteryTo = std::max(bucket->batteryTo, to);
    }
}

void MarkAsleep(ChargeBucket* bucket, int64_t from, int64_t to) {
    if (bucket->asleepSeconds <= 0) {
        bucket->asleepFrom = from;
        bucket->asleepTo = to;
    } else {
        bucket->asleepFrom = std::min(bucket->asleepFrom, from);
        bucket->asleepTo = std::max(bucket->asleepTo, to);
    }
}
