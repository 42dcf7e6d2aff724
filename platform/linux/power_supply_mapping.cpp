#include "platform/linux/power_supply_mapping.h"

#include <string.h>

#include <initializer_list>

static const int64_t kInt64Max = INT64_MAX;

// Never "not reported": a battery that says "Unknown" (full on mains, at a
// charge limit, around plugging in) must not end the monitor.
static uint8_t AcLineStatus(const SupplyCensus* census) {
    bool discharging = AnyBatteryStatus(census, kStatusDischarging);
    if (census->mainsOnline) {
        return 1;
    }
    // A USB-C port can say online long after its cable is gone; a battery
    // that is draining knows better.
    if (census->portOnline && !discharging) {
        return 1;
    }
    if (census->batteryCount == 0) {
        return 1;  // no battery: mains assumed, as Windows reports it
    }
    if (census->adapterCount > 0) {
        return 0;
    }
    return discharging ? 0 : 1;
}

int64_t ScaledRatio(int64_t numerator, int64_t denominator, int64_t scale, int64_t cap) {
    if (scale == 0) {
        return 0;
    }
    int64_t quotient = numerator / denominator;
    int64_t remainder = numerator % denominator;
    if (quotient > cap / scale) {
        return cap;
    }
    // Only remainders of astronomic size are shifted; the loss is far below
    // one unit of the result.
    while (remainder > kInt64Max / scale) {
        remainder >>= 1;
        denominator >>= 1;
    }
    int64_t result = quotient * scale + remainder * scale / denominator;
    return result < cap ? result : cap;
}

static int64_t PercentRoundedHalfUp(int64_t now, int64_t full) {
    return (ScaledRatio(now, full, 200, 1000) + 1) / 2;
}

static int64_t ClampPercent(int64_t percent) {
    return percent < 0 ? 0 : (percent > 100 ? 100 : percent);
}

static bool RatioOfSums(const SupplyCensus* census, SupplyAttribute now, SupplyAttribute full,
                        int64_t* percent) {
    int64_t nowSum = 0;
    int64_t fullSum = 0;
    if (!SumOverBatteries(census, now, &nowSum) || !SumOverBatteries(census, full, &fullSum) ||
        fullSum == 0) {
        return false;
    }
    *percent = PercentRoundedHalfUp(nowSum, fullSum);
    return true;
}

static bool MeanCapacity(const SupplyCensus* census, int64_t* percent) {
    int64_t total = 0;
    if (!SumOverBatteries(census, kAttrCapacity, &total)) {
        return false;
    }
    *percent = PercentRoundedHalfUp(total, 100 * (int64_t)census->batteryCount);
    return true;
}

static uint8_t BatteryLifePercent(const SupplyCensus* census) {
    int64_t percent = 0;
    bool found = false;
    if (census->batteryCount == 0) {
        return 255;
    }
    if (census->batteryCount == 1 && Known(census->batteries[0], kAttrCapacity)) {
        percent = census->batteries[0]->value[kAttrCapacity];
        found = true;
    }
    if (!found) {
        found = RatioOfSums(census, kAttrEnergyNow, kAttrEnergyFull, &percent) ||
                RatioOfSums(census, kAttrChargeNow, kAttrChargeFull, &percent) ||
                MeanCapacity(census, &percent);
    }
    return found ? (uint8_t)ClampPercent(percent) : 255;
}

static uint8_t BatteryFlag(const SupplyCensus* census, uint8_t percent) {
    if (census->batteryCount == 0) {
        return 128;
    }
    if (percent == 255) {
        return 255;
    }
    uint8_t flag = 0;
    if (percent > 66) {
        flag = 1;
    } else if (percent < 5) {
        flag = 2 | 4;
    } else if (percent < 33) {
        flag = 2;
    }
    if (AnyBatteryStatus(census, kStatusCharging)) {
        flag |= 8;
    }
    return flag;
}

// The attributes of one unit: the amount left, the amount when full, the draw.
struct UnitAttributes {
    SupplyAttribute now, full, rate;
};
static const UnitAttributes kUnitAttributes[] = {
    {kAttrEnergyNow, kAttrEnergyFull, kAttrPowerNow},    // kUnitNone: not looked at
    {kAttrEnergyNow, kAttrEnergyFull, kAttrPowerNow},    // kUnitEnergy
    {kAttrChargeNow, kAttrChargeFull, kAttrCurrentNow},  // kUnitCharge
};

// The amount left in all batteries: each one's own figure, or where a
// gauge gives none, its capacity of its full amount.
static bool SumAmountLeft(const SupplyCensus* census, const UnitAttributes* unit, int64_t* sum) {
    int64_t total = 0;
    for (int i = 0; i < census->batteryCount; i++) {
        const SupplyReading* battery = census->batteries[i];
        int64_t amount = -1;
        if (Known(battery, unit->now) && battery->value[unit->now] >= 0) {
            amount = battery->value[unit->now];
        } else if (Known(battery, kAttrCapacity) && Known(battery, unit->full) &&
                   battery->value[unit->full] >= 0) {
            amount = ScaledRatio(battery->value[unit->full], 100, battery->value[kAttrCapacity],
                                 kInt64Max);
        }
        if (amount < 0 || amount > kInt64Max - total) {
            return false;
        }
        total += amount;
    }
    *sum = total;
    return census->batteryCount > 0;
}

// The summed magnitude of the batteries that report a usable draw (drivers
// disagree on its sign). A pack without one adds nothing, and so does one
// whose figure has no magnitude in 64 bits or would take the sum beyond
// them. 0 when no battery reports a usable draw.
static int64_t SumDraw(const SupplyCensus* census, const UnitAttributes* unit) {
    int64_t total = 0;
    for (int i = 0; i < census->batteryCount; i++) {
        const SupplyReading* battery = census->batteries[i];
        if (!Known(battery, unit->rate) || battery->value[unit->rate] == INT64_MIN) {
            continue;
        }
        int64_t value = battery->value[unit->rate];
        value = value < 0 ? -value : value;
        if (value <= kInt64Max - total) {
            total += value;
        }
    }
    return total;
}

// Energy figures where they come with a draw, else charge figures with a
// draw, else whichever amounts there are.
static void CollectTimeFacts(const SupplyCensus* census, const SYSTEM_POWER_STATUS* status,
                             BatteryTimeFacts* facts) {
    facts->onBattery = status->ACLineStatus == 0;
    facts->percent = status->BatteryLifePercent;
    facts->batteryCount = census->batteryCount;
    facts->unit = kUnitNone;
    facts->amountLeft = -1;
    facts->amountFull = -1;
    facts->draw = 0;
    if (!SumOverBatteries(census, kAttrTimeToEmptyNow, &facts->reportedTimeToEmpty)) {
        facts->reportedTimeToEmpty = -1;
    }
    for (bool needDraw : {true, false}) {
        for (AmountUnit unit : {kUnitEnergy, kUnitCharge}) {
            const UnitAttributes* attributes = &kUnitAttributes[unit];
            int64_t left = 0;
            int64_t draw = SumDraw(census, attributes);
            if ((needDraw && draw == 0) || !SumAmountLeft(census, attributes, &left)) {
                continue;
            }
            facts->unit = unit;
            facts->amountLeft = left;
            facts->draw = draw;
            if (!SumOverBatteries(census, attributes->full, &facts->amountFull)) {
                facts->amountFull = -1;
            }
            return;
        }
    }
}

void ComputePowerStatus(const SupplyReading* supplies, int count, SYSTEM_POWER_STATUS* status,
                        BatteryTimeFacts* facts) {
    SupplyCensus census;
    TakeCensus(supplies, count, &census);
    memset(status, 0, sizeof *status);
    status->ACLineStatus = AcLineStatus(&census);
    status->BatteryLifePercent = BatteryLifePercent(&census);
    status->BatteryFlag = BatteryFlag(&census, status->BatteryLifePercent);
    status->Reserved1 = 0;
    status->BatteryLifeTime = kLifeTimeNotReported;
    status->BatteryFullLifeTime = kLifeTimeNotReported;
    CollectTimeFacts(&census, status, facts);
}
