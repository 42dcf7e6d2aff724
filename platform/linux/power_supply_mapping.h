// Linux: from the readings of the kernel's power supplies to one power
// status record: the power source, the charge and its flags, and the facts
// the battery times are made from. Readings in, record out: the files are
// read in power_supply_class.cpp and their text parsed in
// supply_attribute_parser.cpp, so this part can be tested and fuzzed on its
// own.
#ifndef TOLVANE_PLATFORM_LINUX_POWER_SUPPLY_MAPPING_H
#define TOLVANE_PLATFORM_LINUX_POWER_SUPPLY_MAPPING_H

#include <stddef.h>
#include <stdint.h>

#include "platform/linux/supply_attribute_parser.h"
#include "platform/linux/supply_census.h"
#include "platform/power_status_source.h"

// The units of a battery amount and the matching draw.
enum AmountUnit { kUnitNone, kUnitEnergy, kUnitCharge };  // µWh and µW, or µAh and µA

// What one reading says about the battery times; the estimator turns it
// into the two times of the record. A figure that is not known is -1.
struct BatteryTimeFacts {
    bool onBattery;
    uint8_t percent;       // as in the record
    int batteryCount;
    AmountUnit unit;       // of the three figures below; kUnitNone: no draw
    int64_t amountLeft;    // summed over the batteries
    int64_t amountFull;
    int64_t draw;          // summed magnitude of the batteries that report one; 0: none
    int64_t reportedTimeToEmpty;  // the drivers' own summed time_to_empty_now
};

// Fills *status from the readings of all supplies of the machine, its two
// times as not reported, and *facts with what the times are made from.
void ComputePowerStatus(const SupplyReading* supplies, int count, SYSTEM_POWER_STATUS* status,
                        BatteryTimeFacts* facts);

// floor(scale * numerator / denominator) for numerator >= 0, denominator > 0
// and a small scale, capped at `cap`, without overflowing 64 bits.
int64_t ScaledRatio(int64_t numerator, int64_t denominator, int64_t scale, int64_t cap);

#endif
