#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "capture_stdout.h"
#include "monitor/status_report.h"

namespace {

struct ReportCall {
    SYSTEM_POWER_STATUS status;
    bool warning;
    bool written;
};

std::string Report(uint8_t ac, uint8_t flag, uint8_t percent, uint32_t life, uint32_t full,
                   bool warning) {
    ReportCall call;
    memset(&call, 0, sizeof call);
    call.status.ACLineStatus = ac;
    call.status.BatteryFlag = flag;
    call.status.BatteryLifePercent = percent;
    call.status.BatteryLifeTime = life;
    call.status.BatteryFullLifeTime = full;
    call.warning = warning;
    std::string written = CaptureStdout(
        [](void* context) {
            ReportCall* c = static_cast<ReportCall*>(context);
            int32_t errorCode = 0;
            c->written = WriteStatusReport(&c->status, "11/19/01", "13:40:27", c->warning, &errorCode);
        },
        &call);
    EXPECT_TRUE(call.written);
    return written;
}

const uint32_t kNone = 0xFFFFFFFFu;

TEST(StatusReport, WritesEveryFieldAsDocumented) {
    struct Case {
        uint8_t ac, flag, percent;
        uint32_t life, full;
        const char* expected;
    };
    const Case cases[] = {
        {0, 1, 97, 840, kNone,
         "11/19/01 13:40:27  Power source: Battery  Status: High, 97%\n"
         "Battery life remaining     : 840 seconds.\n"},
        {1, 9, 100, kNone, kNone,
         "11/19/01 13:40:27  Power source: AC       Status: High, Charging, 100%\n"},
        {2, 0, 57, kNone, kNone, "11/19/01 13:40:27  Power source: Unknown  Status: 57%\n"},
        {254, 6, 3, kNone, kNone,
         "11/19/01 13:40:27  Power source: Unknown  Status: Low, Critical, 3%\n"},
        {1, 128, 255, kNone, kNone,
         "11/19/01 13:40:27  Power source: AC       Status: No battery, ??%\n"},
        {0, 255, 80, 60, 7200,
         "11/19/01 13:40:27  Power source: Battery  Status: Unknown\n"
         "Battery life remaining     : 60 seconds.\n"
         "Full battery life available: 7200 seconds.\n"},
        // Bits 16, 32 and 64 have no text; every other bit shows, in order.
        {0, 0xFF - 1, 150, 0, kNone,
         "11/19/01 13:40:27  Power source: Battery  "
         "Status: Low, Critical, Charging, No battery, 150%\n"
         "Battery life remaining     : 0 seconds.\n"},
        {0, 112, 0, kNone, 0x80000000u,
         "11/19/01 13:40:27  Power source: Battery  Status: 0%\n"
         "Full battery life available: -2147483648 seconds.\n"},
        {0, 2, 255, 0xFFFFFFFEu, 0x7FFFFFFFu,
         "11/19/01 13:40:27  Power source: Battery  Status: Low, ??%\n"
         "Battery life remaining     : -2 seconds.\n"
         "Full battery life available: 2147483647 seconds.\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlatformLineEnds(c.expected),
                  Report(c.ac, c.flag, c.percent, c.life, c.full, false))
            << "ac " << int(c.ac) << " flag " << int(c.flag) << " percent " << int(c.percent);
    }
    // The percent warning, when the loop asks for it, comes first.
    EXPECT_EQ(PlatformLineEnds("*** Battery life has changed more than one percent ***\n"
                               "11/19/01 13:40:27  Power source: AC       Status: 5%\n"),
              Report(1, 0, 5, kNone, kNone, true));
}

TEST(StatusReport, StampsAreTwoDigitFieldsOfOneBrokenDownTime) {
    struct Case {
        int year, month, day, hour, minute, second;  // calendar values
        const char* date;
        const char* time;
    };
    const Case cases[] = {
        {2009, 1, 5, 7, 3, 9, "01/05/09", "07:03:09"},
        {1999, 12, 31, 23, 59, 59, "12/31/99", "23:59:59"},
        {2000, 1, 1, 0, 0, 0, "01/01/00", "00:00:00"},
        {2001, 11, 19, 13, 40, 27, "11/19/01", "13:40:27"},
        {2100, 2, 28, 12, 0, 0, "02/28/00", "12:00:00"},
    };
    for (const Case& c : cases) {
        struct tm localTime;
        memset(&localTime, 0, sizeof localTime);
        localTime.tm_year = c.year - 1900;
        localTime.tm_mon = c.month - 1;
        localTime.tm_mday = c.day;
        localTime.tm_hour = c.hour;
        localTime.tm_min = c.minute;
        localTime.tm_sec = c.second;
        char date[kStampSize];
        char time[kStampSize];
        EXPECT_STREQ(c.date, FormatDateStamp(date, &localTime));
        EXPECT_STREQ(c.time, FormatTimeStamp(time, &localTime));
    }
}

}  // namespace
