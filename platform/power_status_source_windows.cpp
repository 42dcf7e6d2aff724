// Windows: the power status is the platform's own, from kernel32.
#include <errno.h>
#include <io.h>

#include "platform/power_status_source.h"

bool ReadPowerStatus(SYSTEM_POWER_STATUS* status, int32_t* errorCode) {
    if (GetSystemPowerStatus(status)) {
        return true;
    }
    *errorCode = (int32_t)GetLastError();
    return false;
}

bool PauseMilliseconds(uint32_t milliseconds, int32_t* /*errorCode*/) {
    Sleep(milliseconds);
    return true;
}

// The C runtime's _write turns each LF into CR LF on a text-mode stream
// and hands a report to WriteFile at once; its fwrite to an unbuffered
// stream would go a character at a time.
bool WriteOutput(const char* text, size_t length, int32_t* errorCode) {
    while (length > 0) {
        int written = _write(1, text, (unsigned)length);
        if (written <= 0) {
            *errorCode = written < 0 ? errno : ENOSPC;
            return false;
        }
        text += written;
        length -= (size_t)written;
    }
    return true;
}
