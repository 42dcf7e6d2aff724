#include "monitor/local_clock.h"

#include <string.h>

static_assert(sizeof(time_t) >= 8, "a 32-bit time_t gives wrong stamps from 2038-01-19 on");

// The zone is looked up again on every reading, so a laptop that travels
// (the zone file replaced, `timedatectl set-timezone`, a new TZ file) stamps
// the new local time from the next report on. glibc's tzset only checks
// the zone file's status and reads it again when it changed: one stat a
// second, no allocation. localtime_r alone would keep the zone it first
// read for good.
void ReadLocalTime(struct tm* localTime) {
    time_t now = time(nullptr);
#ifdef _WIN32
    // The C runtime's localtime keeps its result per thread, and takes the
    // zone from the system again after _tzset.
    _tzset();
    const struct tm* converted = localtime(&now);
    if (converted != nullptr) {
        *localTime = *converted;
        return;
    }
#else
    tzset();
    if (localtime_r(&now, localTime) != nullptr) {
        return;
    }
#endif
    memset(localTime, 0, sizeof *localTime);
}
