#include "monitor/monitor_loop.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "monitor/local_clock.h"
#include "monitor/status_report.h"
#include "platform/power_status_source.h"

static const uint32_t kPollMilliseconds = 1000;

// The charge has to move by more than this many percent for the warning.
static const int kPercentWarningThreshold = 1;

// Exit statuses: 2 when the power status can't be read, 1 when the output
// can't be written (a full disk, a closed or broken output): a log that
// is lost must not go on in silence.
static const int32_t kExitStatusUnreadable = 2;
static const int32_t kExitOutputLost = 1;

static const char kBanner[] =
    "\nTolvane\n"
    "Console battery monitor; stop it with Ctrl+C.\n\n"
    "Beginning monitoring...\n\n";

static int32_t OutputLost(int32_t errorCode) {
    fprintf(stderr, "tolvane: write error on standard output: %s\n", strerror(errorCode));
    return kExitOutputLost;
}

// The message of a failure to read the power status; its own write error
// changes nothing, the program ends with 2 either way.
static int32_t StatusUnreadable(const char* message) {
    int32_t ignored = 0;
    WriteOutput(message, strlen(message), &ignored);
    return kExitStatusUnreadable;
}

// Only what a report shows decides whether one is due. Windows 10 and later
// keep the battery saver in Reserved1, which no report shows: a report for
// it alone would repeat the last one.
static bool ReportedFieldsDiffer(const SYSTEM_POWER_STATUS* a, const SYSTEM_POWER_STATUS* b) {
    return a->ACLineStatus != b->ACLineStatus || a->BatteryFlag != b->BatteryFlag ||
           a->BatteryLifePercent != b->BatteryLifePercent ||
           a->BatteryLifeTime != b->BatteryLifeTime ||
           a->BatteryFullLifeTime != b->BatteryFullLifeTime;
}

int32_t MonitorLoop() {
    SYSTEM_POWER_STATUS currentStatus;
    SYSTEM_POWER_STATUS previousStatus;
    int32_t firstReport = 1;
    memset(&currentStatus, 0, sizeof currentStatus);
    memset(&previousStatus, 0, sizeof previousStatus);

    setvbuf(stdout, nullptr, _IONBF, 0);

    int32_t errorCode = 0;
    if (!WriteOutput(kBanner, sizeof kBanner - 1, &errorCode)) {
        return OutputLost(errorCode);
    }

    for (;;) {
        if (!PauseMilliseconds(kPollMilliseconds, &errorCode)) {
            return OutputLost(errorCode);
        }

        struct tm localTime;
        char dateStamp[kStampSize];
        char timeStamp[kStampSize];
        ReadLocalTime(&localTime);
        FormatDateStamp(dateStamp, &localTime);
        FormatTimeStamp(timeStamp, &localTime);

        if (!ReadPowerStatus(&currentStatus, &errorCode)) {
            char message[64];
            snprintf(message, sizeof message, "APM driver access failed!  Error code = %ld\n",
                     (long)errorCode);
            return StatusUnreadable(message);
        }
        if (currentStatus.ACLineStatus == kAcLineNotReported) {
            return StatusUnreadable("APM driver is currently DISABLED!\n");
        }
        if (!ReportedFieldsDiffer(&currentStatus, &previousStatus)) {
            continue;
        }
        bool percentWarning = false;
        if (!firstReport) {
            int change = (int)currentStatus.BatteryLifePercent - (int)previousStatus.BatteryLifePercent;
            percentWarning = abs(change) > kPercentWarningThreshold;
        }
        firstReport = 0;
        if (!WriteStatusReport(&currentStatus, dateStamp, timeStamp, percentWarning, &errorCode)) {
            return OutputLost(errorCode);
        }
        memcpy(&previousStatus, &currentStatus, sizeof previousStatus);
    }
}
