// The Linux source's own system calls: the two clocks a reading is taken
// at, the pause when a signal cuts into it, and the output when the
// system takes a report in pieces.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "platform/linux/power_supply_class.h"

namespace {

// While set, the monotonic and boot clocks read these instants.
bool scriptedClocks;
const struct timespec kMonotonic = {1000, 500000000};  // 1000.5 s
const struct timespec kBoot = {1600, 250999999};       // 1600.250999999 s

int64_t MonotonicMs() {
    struct timespec now;
    syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &now);
    return (int64_t)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

void Interrupt(int) {}

// SIGALRM, without SA_RESTART, after `ms` milliseconds and then every
// `everyMs` (0: once); Alarm(0, 0) stops it.
void Alarm(int ms, int everyMs) {
    struct sigaction action = {};
    action.sa_handler = ms > 0 ? Interrupt : SIG_DFL;
    struct itimerval timer = {{everyMs / 1000, (everyMs % 1000) * 1000},
                              {ms / 1000, (ms % 1000) * 1000}};
    if (ms > 0) {
        sigaction(SIGALRM, &action, nullptr);
    }
    setitimer(ITIMER_REAL, &timer, nullptr);
    if (ms == 0) {
        sigaction(SIGALRM, &action, nullptr);
    }
}

}  // namespace

// Stands in for the C library's: the scripted instants, or the kernel's.
extern "C" int clock_gettime(clockid_t clock, struct timespec* now) {
    if (scriptedClocks && (clock == CLOCK_MONOTONIC || clock == CLOCK_BOOTTIME)) {
        *now = clock == CLOCK_MONOTONIC ? kMonotonic : kBoot;
        return 0;
    }
    return (int)syscall(SYS_clock_gettime, clock, now);
}

// Milliseconds of each clock, each from its own: the boot clock runs on in
// a suspend, which is how a wake is seen.
TEST(LinuxSource, ClocksInMilliseconds) {
    scriptedClocks = true;
    SourceClocks clocks = {-1, -1};
    ReadSourceClocks(&clocks);
    scriptedClocks = false;
    EXPECT_EQ(1000500, clocks.monotonicMs);
    EXPECT_EQ(1600250, clocks.bootMs);
}

// A signal 300 ms into the pause doesn't shorten it, nor stretch it by a
// second more.
TEST(LinuxSource, PauseLastsTheSecondThroughASignal) {
    Alarm(300, 0);
    int64_t started = MonotonicMs();
    int32_t errorCode = 0;
    EXPECT_TRUE(PauseMilliseconds(1000, &errorCode));
    int64_t took = MonotonicMs() - started;
    Alarm(0, 0);
    EXPECT_GE(took, 1000);
    EXPECT_LT(took, 1250);
}

// 64 KiB into a full pipe that holds 4 KiB, with a signal every 20 ms: the
// first ones cut into a write that has written nothing (EINTR), the later
// ones, once a slow reader has come, into one that has written part.
// Every byte arrives, in order.
TEST(LinuxSource, OutputWritesWhatIsLeftAfterPartsAndSignals) {
    int pipeEnds[2];
    ASSERT_EQ(0, pipe(pipeEnds));
    ASSERT_EQ(4096, fcntl(pipeEnds[1], F_SETPIPE_SZ, 4096));
    const std::string full(4096, '.');
    ASSERT_EQ(4096, write(pipeEnds[1], full.data(), full.size()));
    std::string text;
    for (int i = 0; text.size() < 65536; i++) {
        text += std::to_string(i) + "\n";
    }
    std::string received;
    std::thread reader([&] {
        usleep(100000);
        char buffer[1024];
        ssize_t length;
        while ((length = read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
            received.append(buffer, (size_t)length);
            usleep(1000);
        }
    });
    fflush(stdout);
    int savedStdout = dup(STDOUT_FILENO);
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[1]);
    Alarm(20, 20);
    int32_t errorCode = 0;
    bool written = WriteOutput(text.data(), text.size(), &errorCode);
    Alarm(0, 0);
    dup2(savedStdout, STDOUT_FILENO);
    close(savedStdout);
    reader.join();
    close(pipeEnds[0]);
    EXPECT_TRUE(written) << errorCode;
    EXPECT_EQ(full + text, received);
}
