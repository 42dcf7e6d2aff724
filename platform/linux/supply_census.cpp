#include "platform/linux/supply_census.h"

#include <string.h>

SupplyRole RoleOfSupply(const SupplyReading* supply) {
    if (Known(supply, kAttrScope) && supply->value[kAttrScope] == kScopeDevice) {
        return kRolePeripheral;
    }
    if (!Known(supply, kAttrType)) {
        return kRoleNone;
    }
    int64_t type = supply->value[kAttrType];
    if ((type == kTypeMains || type == kTypePort) && Known(supply, kAttrOnline)) {
        return kRoleAdapter;
    }
    if (type == kTypeBattery && !(Known(supply, kAttrPresent) && supply->value[kAttrPresent] == 0)) {
        return kRoleBattery;
    }
    return kRoleNone;
}

void TakeCensus(const SupplyReading* supplies, int count, SupplyCensus* census) {
    memset(census, 0, sizeof *census);
    for (int i = 0; i < count && i < kMaxSupplies; i++) {
        const SupplyReading* supply = &supplies[i];
        switch (RoleOfSupply(supply)) {
            case kRoleAdapter:
                census->adapterCount++;
                if (supply->value[kAttrOnline] >= 1) {
                    (supply->value[kAttrType] == kTypeMains ? census->mainsOnline
                                                            : census->portOnline) = true;
                }
                break;
            case kRoleBattery:
                census->batteries[census->batteryCount++] = supply;
                break;
            case kRoleNone:
            case kRolePeripheral:
                break;
        }
    }
}

bool AnyBatteryStatus(const SupplyCensus* census, int64_t status) {
    for (int i = 0; i < census->batteryCount; i++) {
        const SupplyReading* battery = census->batteries[i];
        if (Known(battery, kAttrStatus) && battery->value[kAttrStatus] == status) {
            return true;
        }
    }
    return false;
}

bool SumOverBatteries(const SupplyCensus* census, SupplyAttribute attribute, int64_t* sum) {
    int64_t total = 0;
    for (int i = 0; i < census->batteryCount; i++) {
        const SupplyReading* battery = census->batteries[i];
        if (!Known(battery, attribute)) {
            return false;
        }
        int64_t value = battery->value[attribute];
        if (value < 0 || value > INT64_MAX - total) {
            return false;
        }
        total += value;
    }
    *sum = total;
    return true;
}
