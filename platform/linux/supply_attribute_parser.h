// Linux: the text of a power supply's attribute files and of its `uevent`
// file, turned into the values the mapping reads. Nothing here touches a
// file either; power_supply_class.cpp reads them.
#ifndef TOLVANE_PLATFORM_LINUX_SUPPLY_ATTRIBUTE_PARSER_H
#define TOLVANE_PLATFORM_LINUX_SUPPLY_ATTRIBUTE_PARSER_H

#include <stddef.h>
#include <stdint.h>

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

void ClearSupplyReading(SupplyReading* reading);

inline bool Known(const SupplyReading* reading, SupplyAttribute attribute) {
    return (reading->known & (1u << attribute)) != 0;
}

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

#endif
