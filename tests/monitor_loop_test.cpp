// The loop driven by a scripted platform: a list of status records (or
// failures) handed out one per read, pauses recorded instead of slept,
// writes collected instead of written, and a clock that moves one second
// per reading, across midnight of 12/31/99.
#include <errno.h>
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

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
std::string events;  // "P" per pause, "C" per clock read, "R" per status read, "W" per write
std::string output;
int clockSeconds;    // seconds after 12/31/99 23:59:50
int failingWrite;    // the number of the write that fails (from 1), or 0
int failingPause;    // the number of the pause that finds the output gone, or 0

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

int32_t RunLoop(const std::vector<ScriptedRead>& reads, int writeToFail = 0, int pauseToFail = 0) {
    script = reads;
    nextRead = 0;
    events.clear();
    output.clear();
    clockSeconds = 0;
    failingWrite = writeToFail;
    failingPause = pauseToFail;
    return MonitorLoop();
}

// The events of the cycles of a run: "PCR" each, "W" after those with a
// report or a message.
std::string Cycles(const std::string& written) {
    std::string cycles = "W";  // the banner
    for (char c : written) {
        cycles += c == 'W' ? "PCRW" : "PCR";
    }
    return cycles;
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

bool PauseMilliseconds(uint32_t milliseconds, int32_t* errorCode) {
    events += milliseconds == 1000 ? "P" : "<bad pause>";
    if (std::count(events.begin(), events.end(), 'P') == failingPause) {
        *errorCode = EPIPE;
        return false;
    }
    return true;
}

bool WriteOutput(const char* text, size_t length, int32_t* errorCode) {
    events += 'W';
    if (std::count(events.begin(), events.end(), 'W') == failingWrite) {
        *errorCode = ENOSPC;
        return false;
    }
    output.append(text, length);
    return true;
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
    // 50% → 51% (no warning), → 53% and back to 51% (warnings), a change of
    // Reserved1 alone (the battery saver on Windows: no report), of the full
    // and of the remaining battery life alone, an unchanged read, then a
    // failure.
    const int32_t exitStatus = RunLoop({
        Record(0, 0, 0, 0, 0, 0),         // 1: equals the zeroed record: silent
        Record(0, 0, 50, 0, 840),         // 2: first report, never a warning
        Record(0, 0, 50, 0, 840),         // 3: unchanged
        Record(0, 0, 51, 0, 840),         // 4: one percent
        Record(0, 0, 53, 0, 840),         // 5: two percent up
        Record(0, 0, 51, 0, 840),         // 6: two percent down
        Record(0, 0, 51, 1, 840),         // 7: only Reserved1
        Record(0, 0, 51, 1, 840, 7200),   // 8: only the full battery life
        Record(0, 0, 51, 1, 600, 7200),   // 9: only the remaining battery life
        Record(1, 9, 51, 0, 0xFFFFFFFFu, 3600),  // 10: plugged in
        Failure(5),                       // 11
    });
    const std::string line = "  Power source: Battery  Status: ";
    const std::string life = "Battery life remaining     : 840 seconds.\n";
    std::string expected = std::string(kBanner) +                              //
                           Stamps(2) + line + "50%\n" + life +                 //
                           Stamps(4) + line + "51%\n" + life +                 //
                           kWarning + Stamps(5) + line + "53%\n" + life +      //
                           kWarning + Stamps(6) + line + "51%\n" + life +      //
                           Stamps(8) + line + "51%\n" + life +                 //
                           "Full battery life available: 7200 seconds.\n" +   //
                           Stamps(9) + line + "51%\n" +                        //
                           "Battery life remaining     : 600 seconds.\n" +    //
                           "Full battery life available: 7200 seconds.\n" +   //
                           Stamps(10) + "  Power source: AC       Status: High, Charging, 51%\n" +
                           "Full battery life available: 3600 seconds.\n" +
                           "APM driver access failed!  Error code = 5\n";
    EXPECT_EQ(expected, output);
    EXPECT_EQ(2, exitStatus);
    // One pause first in every cycle, one clock reading per cycle for both
    // stamps (cycle 10 ran at 00:00:09 of the new year), and each report,
    // its warning line included, in one write.
    EXPECT_EQ(Cycles("_W_WWW_WWWW"), events);
}

TEST(MonitorLoop, EndsWithMessageAndStatus) {
    struct Case {
        const char* name;
        std::vector<ScriptedRead> reads;
        int writeToFail, pauseToFail;
        std::string afterBanner;
        int32_t exitStatus;
        std::string events;
    };
    const std::string unknownLine = "  Power source: Unknown  Status: Unknown\n";
    const Case cases[] = {
        {"disabled on the first read", {Record(255, 1, 90)}, 0, 0,
         "APM driver is currently DISABLED!\n", 2, Cycles("W")},
        {"disabled after a report", {Record(2, 255, 90), Record(255, 255, 90)}, 0, 0,
         Stamps(1) + unknownLine + "APM driver is currently DISABLED!\n", 2, Cycles("WW")},
        {"failure on the first read", {Failure(5)}, 0, 0,
         "APM driver access failed!  Error code = 5\n", 2, Cycles("W")},
        {"negative error code", {Failure(-2)}, 0, 0,
         "APM driver access failed!  Error code = -2\n", 2, Cycles("W")},
        // Output that can't be written ends the monitor with 1, not 2.
        {"the banner can't be written", {Record(0, 0, 50)}, 1, 0, "", 1, "W"},
        {"a report can't be written", {Record(0, 0, 50), Record(0, 0, 49)}, 3, 0,
         Stamps(1) + "  Power source: Battery  Status: 50%\n", 1, Cycles("WW")},
        {"the output is gone in a pause", {Record(0, 0, 50)}, 0, 2,
         Stamps(1) + "  Power source: Battery  Status: 50%\n", 1, Cycles("W") + "P"},
    };
    for (const Case& c : cases) {
        int32_t exitStatus = RunLoop(c.reads, c.writeToFail, c.pauseToFail);
        EXPECT_EQ((c.writeToFail == 1 ? "" : kBanner) + c.afterBanner, output) << c.name;
        EXPECT_EQ(c.exitStatus, exitStatus) << c.name;
        EXPECT_EQ(c.events, events) << c.name;
    }
}

TEST(MonitorLoop, UnreportedChargeTakesPartInTheWarning) {
    // 255 ("not reported") is just a number in the percent arithmetic.
    RunLoop({Record(1, 128, 255), Record(0, 1, 97), Record(0, 1, 255), Record(0, 1, 254),
             Failure(1)});
    const std::string line = "  Power source: Battery  Status: High, ";
    std::string expected = std::string(kBanner) + Stamps(1) +
                           "  Power source: AC       Status: No battery, ??%\n" + kWarning +
                           Stamps(2) + line + "97%\n" + kWarning + Stamps(3) + line + "??%\n" +
                           Stamps(4) + line + "254%\n" + "APM driver access failed!  Error code = 1\n";
    EXPECT_EQ(expected, output);
}
