#include "platform/power_supply_mapping.h"

#include <string.h>

const char* const kSupplyAttributeFiles[kSupplyAttributeCount] = {
    "type",       "scope",       "online",      "present",           "status",
    "capacity",   "energy_now",  "energy_full", "charge_now",        "charge_full",
    "time_to_empty_now",         "power_now",   "current_now",
};

static const int64_t kInt64Max = INT64_MAX;
static const int64_t kTimeCap = 0x7FFFFFFF;  // a time never shows as negative

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
        {kAttrType, "Mains", kTypeAdapter},
        {kAttrType, "USB", kTypeAdapter},
        {kAttrType, "Wireless", kTypeAdapter},
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
    bool anyAdapterOnline;
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
        if (supply->value[kAttrType] == kTypeAdapter && Known(supply, kAttrOnline)) {
            census->adapterCount++;
            if (supply->value[kAttrOnline] >= 1) {
                census->anyAdapterOnline = true;
            }
        } else if (supply->value[kAttrType] == kTypeBattery &&
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

static uint8_t AcLineStatus(const SupplyCensus* census) {
    if (census->anyAdapterOnline) {
        return 1;
    }
    if (census->batteryCount == 0) {
        return 1;  // no battery: mains assumed, as Windows reports it
    }
    if (census->adapterCount > 0) {
        return 0;
    }
    if (AnyBatteryStatus(census, kStatusDischarging)) {
        return 0;
    }
    if (AnyBatteryStatus(census, kStatusCharging) || AnyBatteryStatus(census, kStatusFull) ||
        AnyBatteryStatus(census, kStatusNotCharging)) {
        return 1;
    }
    return kAcLineNotReported;
}

// Sums one attribute over all batteries. Fails unless every battery has it,
// with a value that is not negative (rates are taken by magnitude), and the
// sum fits in 64 bits.
static bool SumOverBatteries(const SupplyCensus* census, SupplyAttribute attribute,
                             bool magnitude, int64_t* sum) {
    int64_t total = 0;
    for (int i = 0; i < census->batteryCount; i++) {
        const SupplyReading* battery = census->batteries[i];
        if (!Known(battery, attribute)) {
            return false;
        }
        int64_t value = battery->value[attribute];
        if (magnitude && value < 0 && value != INT64_MIN) {
            value = -value;
        }
        if (value < 0 || value > kInt64Max - total) {
            return false;
        }
        total += value;
    }
    *sum = total;
    return true;
}

// floor(scale * numerator / denominator) for numerator >= 0, denominator > 0
// and a small scale, capped at `cap`, without overflowing 64 bits.
static int64_t ScaledRatio(int64_t numerator, int64_t denominator, int64_t scale, int64_t cap) {
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
    if (!SumOverBatteries(census, now, false, &nowSum) ||
        !SumOverBatteries(census, full, false, &fullSum) || fullSum == 0) {
        return false;
    }
    *percent = PercentRoundedHalfUp(nowSum, fullSum);
    return true;
}

static bool MeanCapacity(const SupplyCensus* census, int64_t* percent) {
    int64_t total = 0;
    for (int i = 0; i < census->batteryCount; i++) {
        const SupplyReading* battery = census->batteries[i];
        if (!Known(battery, kAttrCapacity)) {
            return false;
        }
        total += ClampPercent(battery->value[kAttrCapacity]);
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

// 3600 * sum(amount) / sum(|rate|): seconds from an energy or charge and the
// matching power or current.
static bool SecondsAtRate(const SupplyCensus* census, SupplyAttribute amount, SupplyAttribute rate,
                          uint32_t* seconds) {
    int64_t amountSum = 0;
    int64_t rateSum = 0;
    if (!SumOverBatteries(census, amount, false, &amountSum) ||
        !SumOverBatteries(census, rate, true, &rateSum) || rateSum == 0) {
        return false;
    }
    *seconds = (uint32_t)ScaledRatio(amountSum, rateSum, 3600, kTimeCap);
    return true;
}

static uint32_t RemainingSeconds(const SupplyCensus* census) {
    uint32_t seconds = kLifeTimeNotReported;
    int64_t reported = 0;
    if (SumOverBatteries(census, kAttrTimeToEmptyNow, false, &reported)) {
        return (uint32_t)(reported < kTimeCap ? reported : kTimeCap);
    }
    if (SecondsAtRate(census, kAttrEnergyNow, kAttrPowerNow, &seconds) ||
        SecondsAtRate(census, kAttrChargeNow, kAttrCurrentNow, &seconds)) {
        return seconds;
    }
    return kLifeTimeNotReported;
}

static uint32_t FullChargeSeconds(const SupplyCensus* census) {
    uint32_t seconds = kLifeTimeNotReported;
    if (SecondsAtRate(census, kAttrEnergyFull, kAttrPowerNow, &seconds) ||
        SecondsAtRate(census, kAttrChargeFull, kAttrCurrentNow, &seconds)) {
        return seconds;
    }
    return kLifeTimeNotReported;
}

void ComputePowerStatus(const SupplyReading* supplies, int count, SYSTEM_POWER_STATUS* status) {
    SupplyCensus census;
    TakeCensus(supplies, count, &census);
    memset(status, 0, sizeof *status);
    status->ACLineStatus = AcLineStatus(&census);
    status->BatteryLifePercent = BatteryLifePercent(&census);
    status->BatteryFlag = BatteryFlag(&census, status->BatteryLifePercent);
    status->Reserved1 = 0;
    bool onBattery = status->ACLineStatus == 0;
    status->BatteryLifeTime = onBattery ? RemainingSeconds(&census) : kLifeTimeNotReported;
    status->BatteryFullLifeTime = onBattery ? FullChargeSeconds(&census) : kLifeTimeNotReported;
}
