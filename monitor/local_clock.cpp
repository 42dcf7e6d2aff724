#include "monitor/local_clock.h"

#include <string.h>

void ReadLocalTime(struct tm* localTime) {
    time_t now = time(nullptr);
#ifdef _WIN32
    // The C runtime's localtime keeps its result per thread.
    const struct tm* converted = localtime(&now);
    if (converted != nullptr) {
        *localTime = *converted;
        return;
    }
#else
    // localtime_r takes the zone once; glibc's localtime would look at the
    // zone file and allocate again on every call, that is every second.
    if (localtime_r(&now, localTime) != nullptr) {
        return;
    }
#endif
    memset(localTime, 0, sizeof *localTime);
}
