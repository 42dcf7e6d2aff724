// Linux: reads the supplies listed in a power supply class directory
// (normally /sys/class/power_supply) into one power status record.
#ifndef TOLVANE_PLATFORM_LINUX_POWER_SUPPLY_CLASS_H
#define TOLVANE_PLATFORM_LINUX_POWER_SUPPLY_CLASS_H

#include <stdint.h>

#include "platform/linux/battery_time_estimate.h"
#include "platform/power_status_source.h"

extern const char* const kPowerSupplyClassDirectory;

// Fails, with errno as the error code, only when the directory itself can't
// be listed. Whatever can't be read of a single supply counts as not reported.
// The battery times come from *estimate, carried from one reading to the
// next, at the instant *clocks gives.
bool ReadPowerSupplyClass(const char* classDirectory, const SourceClocks* clocks,
                          BatteryTimeEstimate* estimate, SYSTEM_POWER_STATUS* status,
                          int32_t* errorCode);

#endif
