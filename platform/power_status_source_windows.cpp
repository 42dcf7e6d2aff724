// Windows: the power status is the platform's own, from kernel32.
#include "platform/power_status_source.h"

bool ReadPowerStatus(SYSTEM_POWER_STATUS* status, int32_t* errorCode) {
    if (GetSystemPowerStatus(status)) {
        return true;
    }
    *errorCode = (int32_t)GetLastError();
    return false;
}

void PauseMilliseconds(uint32_t milliseconds) {
    Sleep(milliseconds);
}
