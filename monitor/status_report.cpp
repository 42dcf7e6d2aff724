#include "monitor/status_report.h"

#include <stdio.h>

// Each field of a stamp is two digits, whatever the broken-down time holds,
// so a stamp is always exactly eight characters.
static int TwoDigits(int value) {
    return (value % 100 + 100) % 100;
}

char* FormatDateStamp(char* buffer, const struct tm* localTime) {
    snprintf(buffer, kStampSize, "%.2d/%.2d/%.2d", TwoDigits(localTime->tm_mon + 1),
             TwoDigits(localTime->tm_mday), TwoDigits(localTime->tm_year));
    return buffer;
}

char* FormatTimeStamp(char* buffer, const struct tm* localTime) {
    snprintf(buffer, kStampSize, "%.2d:%.2d:%.2d", TwoDigits(localTime->tm_hour),
             TwoDigits(localTime->tm_min), TwoDigits(localTime->tm_sec));
    return buffer;
}

static const char* PowerSourceText(uint8_t acLineStatus) {
    switch (acLineStatus) {
        case 0:
            return "Battery  ";
        case 1:
            return "AC       ";
        default:
            return "Unknown  ";
    }
}

struct FlagText {
    uint8_t bit;
    const char* text;
};

static const FlagText kFlagTexts[] = {
    {1, "High, "}, {2, "Low, "}, {4, "Critical, "}, {8, "Charging, "}, {128, "No battery, "},
};

void WriteStatusReport(const SYSTEM_POWER_STATUS* status, const char* dateStamp,
                       const char* timeStamp) {
    printf("%s %s  Power source: ", dateStamp, timeStamp);
    printf("%s", PowerSourceText(status->ACLineStatus));
    printf("Status: ");
    if (status->BatteryFlag == 255) {
        printf("Unknown\n");
    } else {
        for (const FlagText& flag : kFlagTexts) {
            if (status->BatteryFlag & flag.bit) {
                printf("%s", flag.text);
            }
        }
        if (status->BatteryLifePercent == 255) {
            printf("??%%\n");
        } else {
            printf("%d%%\n", status->BatteryLifePercent);
        }
    }
    // The platform's times are unsigned; they are shown as signed 32-bit.
    if (status->BatteryLifeTime != kLifeTimeNotReported) {
        printf("Battery life remaining     : %ld seconds.\n",
               (long)(int32_t)status->BatteryLifeTime);
    }
    if (status->BatteryFullLifeTime != kLifeTimeNotReported) {
        printf("Full battery life available: %ld seconds.\n",
               (long)(int32_t)status->BatteryFullLifeTime);
    }
}
