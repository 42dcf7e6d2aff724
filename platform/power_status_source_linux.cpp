// Linux: the power status comes from the kernel's power supply class.
#include <errno.h>
#include <time.h>

#include "platform/power_status_source.h"
#include "platform/power_supply_class.h"

bool ReadPowerStatus(SYSTEM_POWER_STATUS* status, int32_t* errorCode) {
    return ReadPowerSupplyClass(kPowerSupplyClassDirectory, status, errorCode);
}

void PauseMilliseconds(uint32_t milliseconds) {
    struct timespec remaining;
    remaining.tv_sec = milliseconds / 1000;
    remaining.tv_nsec = (long)(milliseconds % 1000) * 1000000L;
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}
