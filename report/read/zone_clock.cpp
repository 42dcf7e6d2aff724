#include "report/read/zone_clock.h"

#include <time.h>

#include "report/read/civil_time.h"

int64_t ZoneClock::OffsetAt(int64_t utc) {
    // Beyond what the C library can convert, no zone is known: UTC.
    if (utc < -(int64_t{1} << 40) || utc > (int64_t{1} << 40)) {
        return 0;
    }
    time_t at = static_cast<time_t>(utc);
    struct tm local;
#ifdef _WIN32
    struct tm* converted = localtime(&at);
    if (!converted) {
        return 0;
    }
    local = *converted;
#else
    if (!localtime_r(&at, &local)) {
        return 0;
    }
#endif
    CivilTime civil;
    civil.year = local.tm_year + 1900;
    civil.month = local.tm_mon + 1;
    civil.day = local.tm_mday;
    civil.hour = local.tm_hour;
    civil.minute = local.tm_min;
    civil.second = local.tm_sec;
    return SecondsOf(civil) - utc;
}

int64_t ZoneClock::ToUtc(int64_t local, int64_t notBefore, int64_t* earlierOut,
                         int64_t* laterOut) {
    int64_t day = (local >= 0 ? local : local - 86399) / 86400;
    if (day != day_) {
        // No zone changes its offset twice within three days: the same
        // offset a day before and a day after holds for the whole day.
        day_ = day;
        before_ = OffsetAt(day * 86400 - 86400);
        after_ = OffsetAt(day * 86400 + 2 * 86400);
        uniform_ = before_ == after_;
    }
    if (uniform_) {
        return local - before_;
    }
    int64_t earlier = local - before_, later = local - after_;
    if (earlier > later) {
        int64_t swap = earlier;
        earlier = later;
        later = swap;
    }
    bool earlierValid = local - OffsetAt(earlier) == earlier;
    bool laterValid = local - OffsetAt(later) == later;
    if (earlierValid && laterValid) {
        if (earlierOut && laterOut) {
            *earlierOut = earlier;
            *laterOut = later;
        }
        return earlier >= notBefore ? earlier : later;
    }
    if (earlierValid || laterValid) {
        return earlierValid ? earlier : later;
    }
    return local - before_;
}
