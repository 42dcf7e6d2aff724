// The loop driven by a scripted platform: a list of status records (or
// failures) handed out one per read, pauses recorded instead of slept, and a
// clock that moves one second per reading, across midnight of 12/31/99.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "capture_stdout.h"
#include "monitor/local_clock.h"
#include "monitor/monitor_loop.h"
#include "platform/power_status_source.h"

namespace {

struct ScriptedRead {
    bool ok;
    int32_t errorCode;
    SYSTEM_POWER_STATUS status;
};

std::vector<ScriptedRead> script;
size_t nextRead;
std::string events;  // "P" per pause, "C" per clock read, "R" per status read
int clockSeconds;    // seconds after 12/31/99 23:59:50

ScriptedRead Record(uint8_t ac, uint8_t flag, uint8_t percent, uint8_t reserved = 0,
                    uint32_t life = 0xFFFFFFFFu, uint32_t full = 0xFFFFFFFFu) {
    ScriptedRead read;
    memset(&read, 0, sizeof read);
    read.ok = true;
    read.status.ACLineStatus = ac;
    read.status.BatteryFlag = flag;
    read.status.BatteryLifePercent = percent;
    read.status.Reserved1 = reserved;
    read.status.BatteryLifeTime = life;
    read.status.BatteryFullLifeTime = full;
    return read;
}

ScriptedRead Failure(int32_t errorCode) {
    ScriptedRead read = Record(0, 0, 0);
    read.ok = false;
    read.errorCode = errorCode;
    return read;
}

// The stamps the scripted clock gives the nth cycle (counting from 1).
std::string Stamps(int cycle) {
    char text[32];
    int second = 50 + cycle - 1;
    if (second < 60) {
        snprintf(text, sizeof text, "12/31/99 23:59:%02d", second);
    } else {
        snprintf(text, sizeof text, "01/01/00 00:00:%02d", second - 60);
    }
    return text;
}

const char kBanner[] =
    "\nTolvane\nConsole battery monitor; stop it with Ctrl+C.\n\nBeginning monitoring...\n\n";
const char kWarning[] = "*** Battery life has changed more than one percent ***\n";

struct LoopRun {
    std::string output;
    int32_t exitStatus;
};

LoopRun RunLoop(const std::vector<ScriptedRead>& reads) {
    script = reads;
    nextRead = 0;
    events.clear();
    clockSeconds = 0;
    LoopRun run;
    run.output = CaptureStdout(
        [](void* context) { static_cast<LoopRun*>(context)->exitStatus = MonitorLoop(); }, &run);
    return run;
}

}  // namespace

bool ReadPowerStatus(SYSTEM_POWER_STATUS* status, int32_t* errorCode) {
    events += 'R';
    // Running off the end of the script is a test bug; end the loop loudly.
    const ScriptedRead read = nextRead < script.size() ? script[nextRead++] : Failure(-999);
    if (!read.ok) {
        *errorCode = read.errorCode;
        return false;
    }
    *status = read.status;
    return true;
}

void PauseMilliseconds(uint32_t milliseconds) {
    events += milliseconds == 1000 ? "P" : "<bad pause>";
}

void ReadLocalTime(struct tm* localTime) {
    events += 'C';
    memset(localTime, 0, sizeof *localTime);
    int second = 50 + clockSeconds++;
    bool newYear = second >= 60;
    localTime->tm_year = newYear ? 100 : 99;
    localTime->tm_mon = newYear ? 0 : 11;
    localTime->tm_mday = newYear ? 1 : 31;
    localTime->tm_hour = newYear ? 0 : 23;
    localTime->tm_min = newYear ? 0 : 59;
    localTime->tm_sec = second % 60;
}

TEST(MonitorLoop, WritesBannerReportsChangesAndEndsOnFailure) {
    // 50% → 51% (no warning), → 53% and back to 51% (warnings), one
    // Reserved1-only change, an unchanged read, then a failure.
    LoopRun run = RunLoop({
        Record(0, 0, 0, 0, 0, 0),         // 1: equals the zeroed record: silent
        Record(0, 0, 50, 0, 840),         // 2: first report, never a warning
        Record(0, 0, 50, 0, 840),         // 3: unchanged
        Record(0, 0, 51, 0, 840),         // 4: one percent
        Record(0, 0, 53, 0, 840),         // 5: two percent up
        Record(0, 0, 51, 0, 840),         // 6: two percent down
        Record(0, 0, 51, 7, 840),         // 7: only Reserved1
        Record(1, 9, 51, 7, 0xFFFFFFFFu, 3600),  // 8: plugged in
        Failure(5),                       // 9
    });
    const std::string line = "  Power source: Battery  Status: ";
    const std::string life = "Battery life remaining     : 840 seconds.\n";
    std::string expected = std::string(kBanner) +                              //
                           Stamps(2) + line + "50%\n" + life +                 //
                           Stamps(4) + line + "51%\n" + life +                 //
                           kWarning + Stamps(5) + line + "53%\n" + life +      //
                           kWarning + Stamps(6) + line + "51%\n" + life +      //
                           Stamps(7) + line + "51%\n" + life +                 //
                           Stamps(8) + "  Power source: AC       Status: High, Charging, 51%\n" +
                           "Full battery life available: 3600 seconds.\n" +
                           "APM driver access failed!  Error code = 5\n";
    EXPECT_EQ(PlatformLineEnds(expected), run.output);
    EXPECT_EQ(2, run.exitStatus);
    // One pause first in every cycle, and one clock reading per cycle for
    // both stamps: cycle 8 ran at 00:00:07 of the new year.
    std::string cycles;
    for (int i = 0; i < 9; i++) {
        cycles += "PCR";
    }
    EXPECT_EQ(cycles, events);
}

TEST(MonitorLoop, EndsWithMessageAndStatusTwo) {
    struct Case {
        const char* name;
        std::vector<ScriptedRead> reads;
        std::string afterBanner;
    };
    const std::string unknownLine = "  Power source: Unknown  Status: Unknown\n";
    const Case cases[] = {
        {"disabled on the first read", {Record(255, 1, 90)}, "APM driver is currently DISABLED!\n"},
        {"disabled after a report",
         {Record(2, 255, 90), Record(255, 255, 90)},
         Stamps(1) + unknownLine + "APM driver is currently DISABLED!\n"},
        {"failure on the first read", {Failure(5)}, "APM driver access failed!  Error code = 5\n"},
        {"negative error code", {Failure(-2)}, "APM driver access failed!  Error code = -2\n"},
    };
    for (const Case& c : cases) {
        LoopRun run = RunLoop(c.reads);
        EXPECT_EQ(PlatformLineEnds(kBanner + c.afterBanner), run.output) << c.name;
        EXPECT_EQ(2, run.exitStatus) << c.name;
    }
}

TEST(MonitorLoop, UnreportedChargeTakesPartInTheWarning) {
    // 255 ("not reported") is just a number in the percent arithmetic.
    LoopRun run = RunLoop({Record(1, 128, 255), Record(0, 1, 97), Record(0, 1, 255),
                           Record(0, 1, 254), Failure(1)});
    const std::string line = "  Power source: Battery  Status: High, ";
    std::string expected = std::string(kBanner) + Stamps(1) +
                           "  Power source: AC       Status: No battery, ??%\n" + kWarning +
                           Stamps(2) + line + "97%\n" + kWarning + Stamps(3) + line + "??%\n" +
                           Stamps(4) + line + "254%\n" + "APM driver access failed!  Error code = 1\n";
    EXPECT_EQ(PlatformLineEnds(expected), run.output);
}
