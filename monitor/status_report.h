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

// Writes the report for *status to standard output: the percent warning
// line when asked for, the status line, then the remaining and full battery
// life lines where the status has them. The whole report goes out in one
// write, so a reader never sees part of one, and a program killed between
// two reports leaves none torn. Returns false, with the system's error
// code in *errorCode, when it could not be written.
bool WriteStatusReport(const SYSTEM_POWER_STATUS* status, const char* dateStamp,
                       const char* timeStamp, bool percentWarning, int32_t* errorCode);

#endif
