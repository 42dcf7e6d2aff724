#include <gtest/gtest.h>
#include <stdlib.h>

#include "monitor/local_clock.h"

// The stamps follow the machine's time zone, not universal time: with the
// zone set 5 h 30 min east of UTC, the local clock reads that much ahead.
TEST(LocalClock, ReadsLocalNotUniversalTime) {
    static char zone[] = "TZ=TLV-05:30";
    putenv(zone);
    tzset();
    for (int attempt = 0; attempt < 3; attempt++) {
        time_t before = time(nullptr);
        struct tm local;
        ReadLocalTime(&local);
        time_t shifted = before + 5 * 3600 + 30 * 60;
        struct tm expected = *gmtime(&shifted);
        if (time(nullptr) != before) {
            continue;  // the second turned over while reading; try again
        }
        EXPECT_EQ(expected.tm_year, local.tm_year);
        EXPECT_EQ(expected.tm_yday, local.tm_yday);
        EXPECT_EQ(expected.tm_hour, local.tm_hour);
        EXPECT_EQ(expected.tm_min, local.tm_min);
        EXPECT_EQ(expected.tm_sec, local.tm_sec);
        return;
    }
    FAIL() << "the clock never held still for one reading";
}
