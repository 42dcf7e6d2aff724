// Linux: the power status comes from the kernel's power supply class.
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include "platform/power_status_source.h"
#include "platform/linux/power_supply_class.h"

static int64_t Milliseconds(clockid_t clock) {
    struct timespec now = {0, 0};
    clock_gettime(clock, &now);
    return (int64_t)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

bool ReadPowerStatus(SYSTEM_POWER_STATUS* status, int32_t* errorCode) {
    // Carried across polls: the battery times are an estimate, and the
    // peripherals are not read again.
    static BatteryTimeEstimate estimate;
    static KnownPeripherals peripherals;
    SourceClocks clocks;
    clocks.monotonicMs = Milliseconds(CLOCK_MONOTONIC);
    clocks.bootMs = Milliseconds(CLOCK_BOOTTIME);
    return ReadPowerSupplyClass(kPowerSupplyClassDirectory, &clocks, &estimate, &peripherals,
                                status, errorCode);
}

// The pause also watches standard output. A monitor whose status stops
// changing writes nothing, so it would never learn by a failed write that
// the reader of its pipe has gone (`tolvane | head`); a pipe without a
// reader shows as POLLERR, and the monitor then ends by SIGPIPE as any
// filter does. If SIGPIPE is ignored, the pause is simply slept out.
void PauseMilliseconds(uint32_t milliseconds) {
    struct timespec remaining;
    remaining.tv_sec = milliseconds / 1000;
    remaining.tv_nsec = (long)(milliseconds % 1000) * 1000000L;
    struct pollfd output = {STDOUT_FILENO, 0, 0};
    int ready = ppoll(&output, 1, &remaining, nullptr);
    if (ready > 0 && (output.revents & POLLERR)) {
        raise(SIGPIPE);
    }
    if (ready != 0) {
        // Woken early (an error on stdout, a hang-up, a signal): sleep the
        // whole pause, so the poll never runs faster than once a second.
        while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
        }
    }
}
