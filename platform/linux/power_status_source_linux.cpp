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

void ReadSourceClocks(SourceClocks* clocks) {
    clocks->monotonicMs = Milliseconds(CLOCK_MONOTONIC);
    clocks->bootMs = Milliseconds(CLOCK_BOOTTIME);
}

bool ReadPowerStatus(SYSTEM_POWER_STATUS* status, int32_t* errorCode) {
    // Carried across polls: the battery times are an estimate, and the
    // peripherals are not read again.
    static BatteryTimeEstimate estimate;
    static KnownPeripherals peripherals;
    SourceClocks clocks;
    ReadSourceClocks(&clocks);
    return ReadPowerSupplyClass(kPowerSupplyClassDirectory, &clocks, &estimate, &peripherals,
                                status, errorCode);
}

// The pause also watches standard output. A monitor whose status stops
// changing writes nothing, so it would never learn by a failed write that
// the reader of its output has gone (`tolvane | head`, or the journal's
// stream socket closed). A pipe without a reader shows as POLLERR, a
// socket whose peer left as POLLHUP; either way the monitor ends by
// SIGPIPE as any filter does, and where SIGPIPE is ignored the pause says
// so. A signal that wakes it early doesn't shorten it: it sleeps on until
// the second is over, by the monotonic clock.
bool PauseMilliseconds(uint32_t milliseconds, int32_t* errorCode) {
    const int64_t deadline = Milliseconds(CLOCK_MONOTONIC) + milliseconds;
    int64_t left = milliseconds;
    for (;;) {
        struct timespec timeout;
        timeout.tv_sec = (time_t)(left / 1000);
        timeout.tv_nsec = (long)(left % 1000) * 1000000L;
        struct pollfd output = {STDOUT_FILENO, 0, 0};
        int ready = ppoll(&output, 1, &timeout, nullptr);
        if (ready == 0) {
            return true;
        }
        if (ready > 0 && (output.revents & (POLLERR | POLLHUP))) {
            raise(SIGPIPE);
            *errorCode = EPIPE;
            return false;
        }
        if (ready > 0 && (output.revents & POLLNVAL)) {
            *errorCode = EBADF;  // standard output is closed
            return false;
        }
        if (ready < 0 && errno != EINTR) {
            nanosleep(&timeout, nullptr);  // can't watch the output: just sleep
        }
        left = deadline - Milliseconds(CLOCK_MONOTONIC);
        if (left <= 0) {
            return true;
        }
    }
}

bool WriteOutput(const char* text, size_t length, int32_t* errorCode) {
    while (length > 0) {
        ssize_t written = write(STDOUT_FILENO, text, length);
        if (written > 0) {
            text += written;
            length -= (size_t)written;
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Output left non-blocking by another program, and full: wait
            // until it takes more.
            struct pollfd output = {STDOUT_FILENO, POLLOUT, 0};
            poll(&output, 1, -1);
        } else {
            *errorCode = written < 0 ? errno : EIO;
            return false;
        }
    }
    return true;
}
