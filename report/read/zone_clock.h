// The reader's time zone rules (TZ, or the system's zone) applied to the
// local times a log shows without an offset: the monitor's own stamps.
// Daylight saving time then costs or adds no hour, and the autumn hour
// that comes twice is told apart by the order of the log.
#ifndef TOLVANE_REPORT_READ_ZONE_CLOCK_H
#define TOLVANE_REPORT_READ_ZONE_CLOCK_H

#include <stdint.h>

class ZoneClock {
public:
    // The UTC seconds of `local` (seconds since 1970 of the local time, read
    // as if it were UTC). Where the zone shows that local time twice, the
    // earlier instant not before `notBefore`, else the later one; a local
    // time the zone skips (spring forward) is read with the offset before
    // the change.
    int64_t ToUtc(int64_t local, int64_t notBefore);

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
