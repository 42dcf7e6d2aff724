// Linux: from the attributes of the kernel's power supplies to one power
// status record. Nothing here touches a file; the reading lives in
// power_supply_class.cpp, so this part can be tested and fuzzed on its own.
#ifndef TOLVANE_PLATFORM_LINUX_POWER_SUPPLY_MAPPING_H
#define TOLVANE_PLATFORM_LINUX_POWER_SUPPLY_MAPPING_H

#include <stddef.h>
#include <stdint.h>

#include "platform/power_status_source.h"

// The attributes of one supply that the mapping looks at, by their sysfs
// file names (see kSupplyAttributeFiles).
enum SupplyAttribute {
    kAttrType,
    kAttrScope,
    kAttrOnline,
    kAttrPresent,
    kAttrStatus,
    kAttrCapacity,
    kAttrEnergyNow,
    kAttrEnergyFull,
    kAttrChargeNow,
    kAttrChargeFull,
    kAttrTimeToEmptyNow,
    kAttrPowerNow,
    kAttrCurrentNow,
    kSupplyAttributeCount
};

extern const char* const kSupplyAttributeFiles[kSupplyAttributeCount];

// Values of the text attributes, as stored in SupplyReading::value.
// Mains is the wall adapter; a port (USB, Wireless) can stay online after
// its cable is pulled, so it counts for less.
enum SupplyType { kTypeOther, kTypeMains, kTypePort, kTypeBattery };
enum SupplyScope { kScopeOther, kScopeDevice };
enum SupplyStatus { kStatusOther, kStatusDischarging, kStatusCharging, kStatusFull, kStatusNotCharging };

// What could be read of one supply: bit (1 << attribute) of `known` is set
// for every attribute that was read and understood.
struct SupplyReading {
    uint32_t known;
    int64_t value[kSupplyAttributeCount];
};

// At most this many supplies take part; any further ones are left out.
const int kMaxSupplies = 32;

void ClearSupplyReading(SupplyReading* reading);

// Takes the raw contents of one attribute file. Surrounding white space is
// dropped; anything else that is not a value of the attribute (an empty
// file, a word where a number belongs, a number beyond 64 bits) leaves the
// attribute not known.
void SetSupplyAttribute(SupplyReading* reading, SupplyAttribute attribute, const char* text,
                        size_t length);

// Takes the raw contents of a supply's `uevent` file: lines of the form
// POWER_SUPPLY_<ATTRIBUTE>=<value>, one per attribute the driver could read,
// each value as SetSupplyAttribute takes it. Lines of other keys are passed
// over.
void ParseSupplyUevent(SupplyReading* reading, const char* text, size_t length);

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
