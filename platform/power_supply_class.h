// Linux: reads the supplies listed in a power supply class directory
// (normally /sys/class/power_supply) into one power status record.
#ifndef TOLVANE_PLATFORM_POWER_SUPPLY_CLASS_H
#define TOLVANE_PLATFORM_POWER_SUPPLY_CLASS_H

#include <stdint.h>

#include "platform/power_status_source.h"

extern const char* const kPowerSupplyClassDirectory;

// Fails, with errno as the error code, only when the directory itself can't
// be listed. Whatever can't be read of a single supply counts as not reported.
bool ReadPowerSupplyClass(const char* classDirectory, SYSTEM_POWER_STATUS* status,
                          int32_t* errorCode);

#endif
