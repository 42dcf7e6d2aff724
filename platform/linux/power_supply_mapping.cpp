#include "platform/linux/power_supply_mapping.h"

#include <string.h>

#include <initializer_list>

const char* const kSupplyAttributeFiles[kSupplyAttributeCount] = {
    "type",       "scope",       "online",      "present",           "status",
    "capacity",   "energy_now",  "energy_full", "charge_now",        "charge_full",
    "time_to_empty_now",         "power_now",   "current_now",
};

static const int64_t kInt64Max = INT64_MAX;

void ClearSupplyReading(SupplyReading* reading) {
    memset(reading, 0, sizeof *reading);
}

static bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// "ENERGY_NOW" names the file "energy_now".
static bool KeyNamesFile(const char* key, size_t length, const char* file) {
    for (size_t i = 0; i < length; i++) {
        char expected = file[i];
        if (expected == '\0' || key[i] != (expected >= 'a' && expected <= 'z' ? expected - 'a' + 'A' : expected)) {
            return false;
        }
    }
    return file[length] == '\0';
}

static bool TextIs(const char* text, size_t length, const char* word) {
    return length == strlen(word) && memcmp(text, word, length) == 0;
}

// A whole decimal number, optionally signed, that fits in 64 bits.
static bool ParseNumber(const char* text, size_t length, int64_t* number) {
    size_t i = 0;
    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        i++;
    }
    if (i == length) {
        return false;
    }
    // Gathered as a negative number, whose range is the larger one.
    int64_t result = 0;
    for (; i < length; i++) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        int digit = text[i] - '0';
        if (result < (INT64_MIN + digit) / 10) {
            return false;
        }
        result = result * 10 - digit;
    }
    if (!negative) {
        if (result == INT64_MIN) {
            return false;
        }
        result = -result;
    }
    *number = result;
    return true;
}

static bool ParseWord(SupplyAttribute attribute, const char* text, size_t length, int64_t* value) {
    struct Word {
        SupplyAttribute attribute;
        const char* text;
        int64_t value;
    };
    static const Word kWords[] = {
        {kAttrType, "Mains", kTypeMains},
        {kAttrType, "USB", kTypePort},
        {kAttrType, "Wireless", kTypePort},
        {kAttrType, "Battery", kTypeBattery},
        {kAttrScope, "Device", kScopeDevice},
        {kAttrStatus, "Discharging", kStatusDischarging},
        {kAttrStatus, "Charging", kStatusCharging},
        {kAttrStatus, "Full", kStatusFull},
        {kAttrStatus, "Not charging", kStatusNotCharging},
    };
    if (length == 0) {
        return false;
    }
    *value = 0;  // a readable word without a meaning here: "other"
    for (const Word& word : kWords) {
        if (word.attribute == attribute && TextIs(text, length, word.text)) {
            *value = word.value;
        }
    }
    return true;
}

void SetSupplyAttribute(SupplyReading* reading, SupplyAttribute attribute, const char* text,
                        size_t length) {
    while (length > 0 && IsSpace(text[0])) {
        text++;
        length--;
    }
    while (length > 0 && IsSpace(text[length - 1])) {
        length--;
    }
    bool isWord = attribute == kAttrType || attribute == kAttrScope || attribute == kAttrStatus;
    int64_t value = 0;
    bool understood = isWord ? ParseWord(attribute, text, length, &value)
                             : ParseNumber(text, length, &value);
    // Some gauges put raw register values here (1536): not a percentage.
    if (attribute == kAttrCapacity && (value < 0 || value > 100)) {
        understood = false;
    }
    uint32_t bit = 1u << attribute;
    if (understood) {
        reading->known |= bit;
        reading->value[attribute] = value;
    } else {
        reading->known &= ~bit;
    }
}

void ParseSupplyUevent(SupplyReading* reading, const char* text, size_t length) {
    static const char kPrefix[] = "POWER_SUPPLY_";
    const size_t prefixLength = sizeof kPrefix - 1;
    const char* end = text + length;
    while (text < end) {
        const char* lineEnd = static_cast<const char*>(memchr(text, '\n', (size_t)(end - text)));
        if (lineEnd == nullptr) {
            lineEnd = end;
        }
        const char* equals = static_cast<const char*>(memchr(text, '=', (size_t)(lineEnd - text)));
        if (equals != nullptr && (size_t)(equals - text) > prefixLength &&
            memcmp(text, kPrefix, prefixLength) == 0) {
            const char* key = text + prefixLength;
            size_t keyLength = (size_t)(equals - key);
            for (int attribute = 0; attribute < kSupplyAttributeCount; attribute++) {
                if (KeyNamesFile(key, keyLength, kSupplyAttributeFiles[attribute])) {
                    SetSupplyAttribute(reading, (SupplyAttribute)attribute, equals + 1,
                                       (size_t)(lineEnd - equals - 1));
                    break;
                }
            }
        }
        text = lineEnd + 1;
    }
}

static bool Known(const SupplyReading* reading, SupplyAttribute attribute) {
    return (reading->known & (1u << attribute)) != 0;
}

// The batteries and adapters that take part, as the mapping counts them.
struct SupplyCensus {
    const SupplyReading* batteries[kMaxSupplies];
    int batteryCount;
    int adapterCount;
    bool mainsOnline;
    bool portOnline;
};

static void TakeCensus(const SupplyReading* supplies, int count, SupplyCensus* census) {
    memset(census, 0, sizeof *census);
    for (int i = 0; i < count && i < kMaxSupplies; i++) {
        const SupplyReading* supply = &supplies[i];
        if (!Known(supply, kAttrType)) {
            continue;
        }
        if (Known(supply, kAttrScope) && supply->value[kAttrScope] == kScopeDevice) {
            continue;  // a mouse, keyboard or headset battery
        }
        int64_t type = supply->value[kAttrType];
        if ((type == kTypeMains || type == kTypePort) && Known(supply, kAttrOnline)) {
            census->adapterCount++;
            if (supply->value[kAttrOnline] >= 1) {
                (type == kTypeMains ? census->mainsOnline : census->portOnline) = true;
            }
        } else if (type == kTypeBattery &&
                   !(Known(supply, kAttrPresent) && supply->value[kAttrPresent] == 0)) {
            census->batteries[census->batteryCount++] = supply;
        }
    }
}

static bool AnyBatteryStatus(const SupplyCensus* census, int64_t status) {
    for (int i = 0; i < census->batteryCount; i++) {
        const SupplyReading* battery = census->batteries[i];
        if (Known(battery, kAttrStatus) && battery->value[kAttrStatus] == status) {
            return true;
        }
    }
    return false;
}

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

// Sums one attribute over all batteries. Fails unless every battery has it,
// with a value that is not negative, and the sum fits in 64 bits.
static bool SumOverBatteries(const SupplyCensus* census, SupplyAttribute attribute, int64_t* sum) {
    int64_t total = 0;
    for (int i = 0; i < census->batteryCount; i++) {
        const SupplyReading* battery = census->batteries[i];
        if (!Known(battery, attribute)) {
            return false;
        }
        int64_t value = battery->value[attribute];
        if (value < 0 || value > kInt64Max - total) {
            return false;
        }
        total += value;
    }
    *sum = total;
    return true;
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

// The summed magnitude of the batteries that report a draw (drivers
// disagree on its sign); an idle pack without one adds nothing. 0 when no
// battery reports a usable draw.
static int64_t SumDraw(const SupplyCensus* census, const UnitAttributes* unit) {
    int64_t total = 0;
    for (int i = 0; i < census->batteryCount; i++) {
        const SupplyReading* battery = census->batteries[i];
        if (!Known(battery, unit->rate)) {
            continue;
        }
        int64_t value = battery->value[unit->rate];
        if (value == INT64_MIN) {
            return 0;
        }
        value = value < 0 ? -value : value;
        if (value > kInt64Max - total) {
            return 0;
        }
        total += value;
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
