// The program's control flow: banner, then one poll of the power status a
// second, with a report whenever the status changes.
#ifndef TOLVANE_MONITOR_MONITOR_LOOP_H
#define TOLVANE_MONITOR_MONITOR_LOOP_H

#include <stdint.h>

// Runs until the power status can't be read (or the platform can't say what
// the AC line is doing); then it writes one message and returns 2. When
// standard output can't be written, it says so on standard error and
// returns 1.
int32_t MonitorLoop();

#endif
