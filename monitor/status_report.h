// What the user reads: the date and time stamps and the status report.
#ifndef TOLVANE_MONITOR_STATUS_REPORT_H
#define TOLVANE_MONITOR_STATUS_REPORT_H

#include <time.h>

#include "platform/power_status_source.h"

// Room for "MM/DD/YY" or "HH:MM:SS" and the terminator.
const int kStampSize = 9;

// Both stamps of a cycle are made from one broken-down local time, so the
// date and the time always name the same instant. Each writes into the
// caller's buffer (at least kStampSize characters) and returns it.
char* FormatDateStamp(char* buffer, const struct tm* localTime);
char* FormatTimeStamp(char* buffer, const struct tm* localTime);

// Writes the report for *status to standard output: the status line, then
// the remaining and full battery life lines where the status has them.
void WriteStatusReport(const SYSTEM_POWER_STATUS* status, const char* dateStamp,
                       const char* timeStamp);

#endif
