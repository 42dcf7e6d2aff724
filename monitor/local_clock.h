// The machine's local time, read once per poll cycle.
#ifndef TOLVANE_MONITOR_LOCAL_CLOCK_H
#define TOLVANE_MONITOR_LOCAL_CLOCK_H

#include <time.h>

// Reads the calendar clock once and converts it to local time in *localTime.
void ReadLocalTime(struct tm* localTime);

#endif
