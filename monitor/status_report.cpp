#include "monitor/status_report.h"

#include <stdarg.h>
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

// Room for the longest report, with the percent warning: about 300 bytes.
static const size_t kReportSize = 512;

// Adds formatted text at buffer[*length]; the buffer is big enough for any
// report, so nothing is ever cut off.
#ifdef __GNUC__
__attribute__((format(printf, 3, 4)))
#endif
static void Append(char* buffer, size_t* length, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    int added = vsnprintf(buffer + *length, kReportSize - *length, format, arguments);
    va_end(arguments);
    if (added > 0) {
        *length += (size_t)added;
        if (*length >= kReportSize) {
            *length = kReportSize - 1;
        }
    }
}

bool WriteStatusReport(const SYSTEM_POWER_STATUS* status, const char* dateStamp,
                       const char* timeStamp, bool percentWarning, int32_t* errorCode) {
    char report[kReportSize];
    size_t length = 0;
    if (percentWarning) {
        Append(report, &length, "*** Battery life has changed more than one percent ***\n");
    }
    Append(report, &length, "%s %s  Power source: ", dateStamp, timeStamp);
    Append(report, &length, "%s", PowerSourceText(status->ACLineStatus));
    Append(report, &length, "Status: ");
    if (status->BatteryFlag == 255) {
        Append(report, &length, "Unknown\n");
    } else {
        for (const FlagText& flag : kFlagTexts) {
            if (status->BatteryFlag & flag.bit) {
                Append(report, &length, "%s", flag.text);
            }
        }
        if (status->BatteryLifePercent == 255) {
            Append(report, &length, "??%%\n");
        } else {
            Append(report, &length, "%d%%\n", status->BatteryLifePercent);
        }
    }
    // The platform's times are unsigned; they are shown as signed 32-bit.
    if (status->BatteryLifeTime != kLifeTimeNotReported) {
        Append(report, &length, "Battery life remaining     : %ld seconds.\n",
               (long)(int32_t)status->BatteryLifeTime);
    }
    if (status->BatteryFullLifeTime != kLifeTimeNotReported) {
        Append(report, &length, "Full battery life available: %ld seconds.\n",
               (long)(int32_t)status->BatteryFullLifeTime);
    }
    return WriteOutput(report, length, errorCode);
}
