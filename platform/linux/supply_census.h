// Linux: which of the machine's power supplies take part in its power
// status. Adapters (Mains, USB, Wireless) with a numeric `online` and
// batteries that are present count; peripherals (`scope` Device: the
// battery of a mouse, keyboard or headset) and supplies of any other or
// unreadable type don't.
#ifndef TOLVANE_PLATFORM_LINUX_SUPPLY_CENSUS_H
#define TOLVANE_PLATFORM_LINUX_SUPPLY_CENSUS_H

#include <stdint.h>

#include "platform/linux/supply_attribute_parser.h"

// At most this many supplies that count are kept; any further ones are
// left out. Peripherals and other supplies never take a place.
const int kMaxSupplies = 32;

enum SupplyRole { kRoleNone, kRolePeripheral, kRoleAdapter, kRoleBattery };

SupplyRole RoleOfSupply(const SupplyReading* supply);

// The batteries and adapters that take part.
struct SupplyCensus {
    const SupplyReading* batteries[kMaxSupplies];
    int batteryCount;
    int adapterCount;
    bool mainsOnline;
    bool portOnline;
};

// Counts the first kMaxSupplies readings; those that don't count are
// passed over.
void TakeCensus(const SupplyReading* supplies, int count, SupplyCensus* census);

bool AnyBatteryStatus(const SupplyCensus* census, int64_t status);

// Sums one attribute over all batteries. Fails unless every battery has it,
// with a value that is not negative, and the sum fits in 64 bits.
bool SumOverBatteries(const SupplyCensus* census, SupplyAttribute attribute, int64_t* sum);

#endif
