// A preload library for bench/make-wake-logs: the clocks of a machine that
// suspends, for the monitor it runs under libfaketime. It sits in front of
// libfaketime (LD_PRELOAD="wake_clock.so libfaketime.so.1"), which keeps the
// wall, monotonic and boot clocks together, and reads two numbers from the
// file named by $MONITOR_CLOCK_FILE: the seconds the machine has slept,
// added to CLOCK_REALTIME, CLOCK_BOOTTIME (their variants) and time(), and
// the nanoseconds all the clocks are held back, the time the script kept
// the monitor stopped (less what it moved them on). Built by the script:
//   cc -shared -fPIC -O2 -Wall -Wextra -Werror -o wake_clock.so bench/wake_clock.c -ldl
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

static long long Nanoseconds(const struct timespec* t) { return t->tv_sec * 1000000000LL + t->tv_nsec; }

static long long RealMonotonic(void) {  // past libfaketime
    struct timespec now;
    syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &now);
    return Nanoseconds(&now);
}

// The boot clock is the monotonic clock plus the time slept, read at once:
// the last monotonic reading and the real time since. Read on its own at 300
// times the speed, the monitor's two readings one after the other would come
// apart by a second when it is preempted for 3 ms between them.
int clock_gettime(clockid_t clock, struct timespec* now) {
    static int (*next)(clockid_t, struct timespec*);
    static long long lastMonotonic = -1, lastReadAt;
    if (!next) next = (int (*)(clockid_t, struct timespec*))dlsym(RTLD_NEXT, "clock_gettime");
    int boot = clock == CLOCK_BOOTTIME || clock == CLOCK_BOOTTIME_ALARM;
    int result = next(boot ? CLOCK_MONOTONIC : clock, now);
    if (result != 0 || clock < 0 || clock == CLOCK_PROCESS_CPUTIME_ID ||
        clock == CLOCK_THREAD_CPUTIME_ID) {
        return result;
    }
    char text[64] = "";
    long long slept = 0, held = 0, at = Nanoseconds(now);
    const char* path = getenv("MONITOR_CLOCK_FILE");
    int fd = path ? open(path, O_RDONLY | O_CLOEXEC) : -1;
    if (fd >= 0 && read(fd, text, sizeof text - 1) > 0) sscanf(text, "%lld %lld", &slept, &held);
    if (fd >= 0) close(fd);
    if (clock == CLOCK_MONOTONIC) {
        lastMonotonic = at;
        lastReadAt = RealMonotonic();
    } else if (boot && lastMonotonic >= 0 && RealMonotonic() - lastReadAt < 1000000000) {
        at = lastMonotonic + (RealMonotonic() - lastReadAt);
    }
    if (boot || clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE ||
        clock == CLOCK_REALTIME_ALARM || clock == CLOCK_TAI) {
        at += slept * 1000000000LL;
    }
    at -= held;
    now->tv_sec = at / 1000000000;
    now->tv_nsec = at % 1000000000;
    return result;
}

time_t time(time_t* stored) {
    struct timespec now;
    if (clock_gettime(CLOCK_REALTIME, &now) != 0) return (time_t)-1;
    if (stored) *stored = now.tv_sec;
    return now.tv_sec;
}
