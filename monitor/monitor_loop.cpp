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

int32_t MonitorLoop() {
    SYSTEM_POWER_STATUS currentStatus;
    SYSTEM_POWER_STATUS previousStatus;
    int32_t firstReport = 1;
    memset(&currentStatus, 0, sizeof currentStatus);
    memset(&previousStatus, 0, sizeof previousStatus);

    setvbuf(stdout, nullptr, _IONBF, 0);

    printf("\nTolvane\n");
    printf("Console battery monitor; stop it with Ctrl+C.\n\n");
    printf("Beginning monitoring...\n\n");

    for (;;) {
        PauseMilliseconds(kPollMilliseconds);

        struct tm localTime;
        char dateStamp[kStampSize];
        char timeStamp[kStampSize];
        ReadLocalTime(&localTime);
        FormatDateStamp(dateStamp, &localTime);
        FormatTimeStamp(timeStamp, &localTime);

        int32_t errorCode = 0;
        if (!ReadPowerStatus(&currentStatus, &errorCode)) {
            printf("APM driver access failed!  Error code = %ld\n", (long)errorCode);
            return 2;
        }
        if (currentStatus.ACLineStatus == kAcLineNotReported) {
            printf("APM driver is currently DISABLED!\n");
            return 2;
        }
        if (memcmp(&currentStatus, &previousStatus, sizeof currentStatus) == 0) {
            continue;
        }
        if (!firstReport) {
            int change = (int)currentStatus.BatteryLifePercent - (int)previousStatus.BatteryLifePercent;
            if (abs(change) > kPercentWarningThreshold) {
                printf("*** Battery life has changed more than one percent ***\n");
            }
        }
        firstReport = 0;
        WriteStatusReport(&currentStatus, dateStamp, timeStamp);
        memcpy(&previousStatus, &currentStatus, sizeof previousStatus);
    }
}
