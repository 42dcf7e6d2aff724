// Linux: reads the supplies listed in a power supply class directory
// (normally /sys/class/power_supply) into one power status record.
#ifndef TOLVANE_PLATFORM_LINUX_POWER_SUPPLY_CLASS_H
#define TOLVANE_PLATFORM_LINUX_POWER_SUPPLY_CLASS_H

#include <stdint.h>

#include "platform/linux/battery_time_estimate.h"
#include "platform/power_status_source.h"

extern const char* const kPowerSupplyClassDirectory;

// The names of the supplies found to be peripherals (`scope` Device), kept
// from one reading to the next so that they are not read again: reading a
// HID battery's attributes may make the kernel ask the mouse or keyboard
// itself. A name that leaves the directory is forgotten, so one that comes
// back is looked at afresh. All zero is the state at start.
const int kMaxKnownPeripherals = 64;
const int kPeripheralNameSize = 64;  // longer names are read every time
struct KnownPeripherals {
    int count;
    bool seen[kMaxKnownPeripherals];
    char names[kMaxKnownPeripherals][kPeripheralNameSize];
};

// Both clocks of the running system, as a reading needs them.
void ReadSourceClocks(SourceClocks* clocks);

// Fails, with errno as the error code, only when the directory itself can't
// be listed. Whatever can't be read of a single supply counts as not reported.
// The battery times come from *estimate, and the peripherals not to read
// from *peripherals, both carried from one reading to the next; *clocks
// gives the instant of this one.
bool ReadPowerSupplyClass(const char* classDirectory, const SourceClocks* clocks,
                          BatteryTimeEstimate* estimate, KnownPeripherals* peripherals,
                          SYSTEM_POWER_STATUS* status, int32_t* errorCode);

#endif
