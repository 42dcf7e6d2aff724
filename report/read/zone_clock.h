// The reader's time zone rules (TZ, or the system's zone) applied to the
// local times a log shows without an offset: the monitor's own stamps.
// Daylight saving time then costs or adds no hour; the autumn hour that
// comes twice has two readings (see repeated_hour.h for which is taken).
#ifndef TOLVANE_REPORT_READ_ZONE_CLOCK_H
#define TOLVANE_REPORT_READ_ZONE_CLOCK_H

#include <stdint.h>

class ZoneClock {
public:
    // The UTC seconds of `local` (seconds since 1970 of the local time, read
    // as if it were UTC). Where the zone shows that local time twice, the
    // earlier instant not before `notBefore`, else the later one, and both
    // readings in *earlier and *later where given (left alone otherwise); a
    // local time the zone skips (spring forward) is read with the offset
    // before the change.
    int64_t ToUtc(int64_t local, int64_t notBefore, int64_t* earlier = nullptr,
                  int64_t* later = nullptr);

private:
    // The zone's offset from UTC at `utc`, in seconds east.
    static int64_t OffsetAt(int64_t utc);

    // A local day with one offset throughout, so that its times take no
    // look-up of their own.
    int64_t day_ = INT64_MIN;
    bool uniform_ = false;
    int64_t before_ = 0;  // the offsets a day before and a day after
    int64_t after_ = 0;
};

#endif
