#include "monitor/local_clock.h"

#include <string.h>

void ReadLocalTime(struct tm* localTime) {
    time_t now = time(nullptr);
    const struct tm* converted = localtime(&now);
    if (converted != nullptr) {
        *localTime = *converted;
    } else {
        memset(localTime, 0, sizeof *localTime);
    }
}
