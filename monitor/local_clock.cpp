#include "monitor/local_clock.h"

#include <stdlib.h>
#include <string.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

static_assert(sizeof(time_t) >= 8, "a 32-bit time_t gives wrong stamps from 2038-01-19 on");

#ifndef _WIN32
// A laptop that travels gets a new zone file (`timedatectl set-timezone`
// points /etc/localtime elsewhere; a package update rewrites it), and the
// stamps must follow from the next report on. localtime_r takes the zone
// once; tzset reads it again, but glibc's also copies the zone's name to
// the heap on every call. So the file's identity is looked at each reading,
// one stat, and tzset is called only when it changed. A zone named in TZ
// is the user's own choice and stays as it is.
static void FollowZoneFile() {
    static struct stat last;  // all zero: no zone read yet
    if (getenv("TZ") != nullptr) {
        return;
    }
    struct stat now;
    if (stat("/etc/localtime", &now) != 0) {
        memset(&now, 0, sizeof now);
    }
    if (now.st_dev != last.st_dev || now.st_ino != last.st_ino || now.st_size != last.st_size ||
        now.st_mtim.tv_sec != last.st_mtim.tv_sec || now.st_mtim.tv_nsec != last.st_mtim.tv_nsec) {
        last = now;
        tzset();
    }
}
#endif

void ReadLocalTime(struct tm* localTime) {
    time_t now = time(nullptr);
#ifdef _WIN32
    // The C runtime's localtime keeps its result per thread; _tzset makes
    // it take the zone from the system again (no heap without TZ).
    _tzset();
    const struct tm* converted = localtime(&now);
    if (converted != nullptr) {
        *localTime = *converted;
        return;
    }
#else
    FollowZoneFile();
    if (localtime_r(&now, localTime) != nullptr) {
        return;
    }
#endif
    memset(localTime, 0, sizeof *localTime);
}
