// tolvane-report: logs in every form they come in, against the sessions
// (as CSV lines) they must give; the command line; the outputs' bounds.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "report/figures/log_summary.h"
#include "report/figures/machine_log.h"
#include "report/figures/sessions.h"
#include "report/output/csv_output.h"
#include "report/output/formatting.h"
#include "report/output/html_page.h"
#include "report/output/text_output.h"
#include "report/read/log_parser.h"
#include "report/read/text_decoder.h"
#include "report/run_report.h"

namespace {

const std::string kBanner =
    "\nTolvane\nConsole battery monitor; stop it with Ctrl+C.\n\nBeginning monitoring...\n\n";

// A report as the monitor writes it; times of -1 are left out.
std::string Status(const char* stamp, const char* source, const char* state, int remaining = -1) {
    std::string report =
        std::string(stamp) + "  Power source: " + source + "Status: " + state + "\n";
    if (remaining >= 0) {
        report += "Battery life remaining     : " + std::to_string(remaining) + " seconds.\n";
        report += "Full battery life available: 40000 seconds.\n";
    }
    return report;
}
const char* const kBattery = "Battery  ";
const char* const kAc = "AC       ";
const std::string kWarning = "*** Battery life has changed more than one percent ***\n";

// One run: on mains, three hours on battery, on mains again.
const std::string kOneRun = kBanner + Status("12/01/26 08:00:00", kAc, "High, Charging, 100%") +
                            Status("12/01/26 09:00:00", kBattery, "High, 100%", 36000) + kWarning +
                            Status("12/01/26 10:00:00", kBattery, "High, 90%", 30000) + kWarning +
                            Status("12/01/26 11:00:00", kBattery, "High, 80%", 28000) +
                            Status("12/01/26 11:30:00", kAc, "High, Charging, 80%");
const std::string kOneRunSession =
    "2026-12-01T09:00:00,2026-12-01T11:30:00,9000,100,80,8.00,45000,,ac,0,";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Every line with the journal's prefix: short-iso at the stamp's time.
std::string ShortIso(const std::string& log, const std::string& pid, const char* offset) {
    std::string journal, line;
    for (size_t at = 0, end; at < log.size(); at = end + 1) {
        end = log.find('\n', at);
        line = log.substr(at, end - at);
        journal += "2026-12-01T" +
                   (line.size() > 17 && line[2] == '/' ? line.substr(9, 8) : "08:00:00") + offset +
                   " laptop tolvane[" + pid + "]: " + line + "\n";
    }
    return journal;
}

std::string Contents(FILE* file) {
    std::string text;
    rewind(file);
    for (int c; (c = fgetc(file)) != EOF;) {
        text += static_cast<char>(c);
    }
    return text;
}

// The sessions (or another table) of `log` fed whole, or in pieces of
// `piece` bytes.
std::string Sessions(const std::string& log, DateRange range = DateRange(),
                     size_t piece = std::string::npos, CsvTable table = CsvTable::Sessions) {
    FILE* out = tmpfile();
    if (!out) {
        return "no tmpfile";
    }
    CsvWriter csv(out, table);
    MachineLogs logs(&csv);
    LogParser parser(range, {}, &logs);
    LineSplitter splitter(&parser);
    TextDecoder decoder(&splitter);
    for (size_t at = 0; at < log.size(); at += piece) {
        decoder.Feed(log.data() + at, std::min(piece, log.size() - at));
    }
    decoder.EndOfFile();
    parser.Finish();
    csv.WriteDays(logs.Machines());
    std::string lines = Contents(out);
    fclose(out);
    return lines.substr(lines.find('\n') + 1);
}

void SetZone(const char* zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone);
    _tzset();
#else
    setenv("TZ", zone, 1);
    tzset();
#endif
}
const char* const kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

// "MM/DD/YY HH:MM:SS" of seconds since 1970.
std::string StampOf(int64_t seconds) {
    CivilTime t = CivilFromSeconds(seconds);
    char stamp[32];
    snprintf(stamp, sizeof stamp, "%02d/%02d/%02d %02d:%02d:%02d", t.month, t.day, t.year % 100,
             t.hour, t.minute, t.second);
    return stamp;
}

// The stamp of a report `seconds` after 2026-12-01 00:00.
std::string Stamp(int64_t seconds) {
    return StampOf(DaysFromCivil(2026, 12, 1) * 86400 + seconds);
}

// Reports on battery from `from` % down to `to` %, a step of `by` points
// each `every` seconds from `start` seconds after 2026-12-01 00:00, with the
// remaining time `remaining(charge)` where it is not negative.
std::string Steps(int64_t start, int from, int to, int every, int (*remaining)(int) = nullptr,
                  int by = 1) {
    std::string log;
    for (int charge = from; charge >= to; charge -= by) {
        log += Status(Stamp(start + (from - charge) / by * every).c_str(), kBattery,
                      (std::to_string(charge) + "%").c_str(), remaining ? remaining(charge) : -1);
    }
    return log;
}

// Errors +20.0, -100 (nothing left shown), -12.5, +5.0, +10.0 and +30.0 %
// (5 points above the end) against the charge's steps, a point every 6
// minutes; the report at 72 % is too close to the end. Median +7.5 %.
const std::string kEstimates =
    Status("12/04/26 08:00:00", kBattery, "80%", 34776) +
    Status("12/04/26 08:06:00", kBattery, "79%", 0) +
    Status("12/04/26 08:12:00", kBattery, "78%", 24728) + Status("12/04/26 08:18:00", kBattery, "77%") +
    Status("12/04/26 08:24:00", kBattery, "76%", 28917) + Status("12/04/26 08:30:00", kBattery, "75%") +
    Status("12/04/26 08:36:00", kBattery, "74%", 29502) +
    Status("12/04/26 08:42:00", kBattery, "73%", 34398) +
    Status("12/04/26 08:48:00", kBattery, "72%", 1) + Status("12/04/26 08:54:00", kBattery, "71%") +
    Status("12/04/26 09:00:00", kBattery, "70%") + Status("12/04/26 09:06:00", kBattery, "69%") +
    Status("12/04/26 09:12:00", kBattery, "68%") + Status("12/04/26 09:15:00", kAc, "68%");

// A steady drain whose remaining times are exact: the true charge falls
// from 60.3 % by a point every 360 s, so the monitor shows 59 % from 288 s
// on, and the battery would be empty at 21708 s; a report at each step, or
// also every `every` seconds before `until`; plugged in at 40.2 %.
std::string ExactDischarge(int every, int64_t until = 7236) {
    const int64_t start = DaysFromCivil(2026, 12, 10) * 86400 + 9 * 3600;
    std::string log = Status(StampOf(start - 60).c_str(), kAc, "High, Charging, 60%");
    int shown = -1;
    for (int64_t t = 0; t < 7236; t++) {
        int charge = static_cast<int>(60 - (t + 72) / 360);
        if (charge != shown || (every > 0 && t % every == 0 && t < until)) {
            log += Status(StampOf(start + t).c_str(), kBattery, (std::to_string(charge) + "%").c_str(),
                          static_cast<int>(21708 - t));
            shown = charge;
        }
    }
    return log + Status(StampOf(start + 7236).c_str(), kAc, "Charging, 40%");
}
const std::string kExactSession = "2026-12-10T09:00:00,2026-12-10T11:00:36,7236,60,40,9.95,36180,0.0,ac,0,\n";

// From 09:00 on 12-13, 80 % down a point every 6 minutes to 70 %, each
// report with the times of an exact drain; `slept` seconds asleep from
// 10:00, `lost` points lost; woken, the first report without times, 10 s
// later with them, then down 10 points more, plugged in.
std::string WakeLog(int slept, int lost = 2) {
    const int64_t start = 12 * 86400 + 9 * 3600, woke = start + 3600 + slept;
    auto exact = [](int charge) { return 360 * charge; };
    std::string woken = std::to_string(70 - lost) + "%";
    return Steps(start, 80, 70, 360, exact) + Status(Stamp(woke).c_str(), kBattery, woken.c_str()) +
           Steps(woke + 10, 70 - lost, 60 - lost, 360, exact) +
           Status(Stamp(woke + 3610).c_str(), kAc, (std::to_string(60 - lost) + "%").c_str());
}
const std::string kWakeSession =
    "2026-12-13T09:00:00,2026-12-13T11:46:10,9970,80,58,9.99,36050,-0.8,ac,2760,";
// Two hours on battery from 02:00 on the day the autumn hour repeats in
// central Europe, a report every second and a point every 6 minutes; on
// mains at 03:00, the second time.
std::string EverySecondOfTheRepeatedHour() {
    std::string log;
    const int64_t two = DaysFromCivil(2026, 10, 25) * 86400 + 2 * 3600;  // as the clock shows it
    for (int64_t t = 0; t < 7200; t++) {
        log += Status(StampOf(two + t % 3600).c_str(), kBattery,
                      (std::to_string(100 - t / 360) + "%").c_str());
    }
    return log + Status("10/25/26 03:00:00", kAc, "80%");
}

// Reports on mains from `from` % up to `to` %, a point every `every`
// seconds from `start` seconds after 2026-12-01 00:00.
std::string Charging(int64_t start, int from, int to, int every) {
    std::string log;
    for (int charge = from; charge <= to; charge++) {
        log += Status(Stamp(start + (charge - from) * every).c_str(), kAc,
                      ("Charging, " + std::to_string(charge) + "%").c_str());
    }
    return log;
}

// Half an hour on battery, a point every 5 minutes, of each source (journal
// "host ident[pid]") in turn, a second apart, -o short-iso; a boot line
// between every two lines.
std::string Interleaved(const std::vector<std::string>& sources) {
    std::string log;
    for (int step = 0; step <= 6; step++) {
        for (size_t i = 0; i < sources.size(); i++) {
            int64_t at = DaysFromCivil(2026, 12, 12) * 86400 + 8 * 3600 + step * 300 + i;
            std::string stamp = StampOf(at);
            std::string line = step == 6 ? Status(stamp.c_str(), kAc, "Charging, 85%")
                                         : Status(stamp.c_str(), kBattery,
                                                  (std::to_string(90 - step) + "%").c_str());
            log += "-- Boot 0" + std::to_string(i) + "c9c2bd8e9f4d8db9ef01c1a2e0c2b5 --\n";
            for (size_t at2 = 0, end; at2 < line.size(); at2 = end + 1) {
                end = line.find('\n', at2);
                log += FormatIsoTime(CivilFromSeconds(at)) + "+0000 " + sources[i] + ": " +
                       line.substr(at2, end - at2) + "\n";
            }
        }
    }
    return log;
}

// A report of monitor `pid` on host alpha as -o short-iso shows it, at
// `clock` ("HH:MM:SS") on 2026-12-12 and stamped then.
std::string Alpha(const char* pid, const char* clock, const char* source, const char* state) {
    return "2026-12-12T" + std::string(clock) + "+0000 alpha tolvane[" + pid +
           "]: " + Status(("12/12/26 " + std::string(clock)).c_str(), source, state);
}

// `log` as `journalctl -o short` prints it for the machine `host` (a time
// without a year: the stamps' own count).
std::string OnHost(const std::string& host, const std::string& log) {
    std::string journal;
    for (size_t at = 0, end; at < log.size(); at = end + 1) {
        end = log.find('\n', at);
        journal += "Dec 01 00:00:00 " + host + " tolvane[7]: " + log.substr(at, end - at) + "\n";
    }
    return journal;
}

// An hour on battery from 90 % at `drain` points an hour (a divisor of
// 3600), from `start` seconds after 2026-12-01 00:00, then on mains.
std::string HourOnBattery(int64_t start, int drain) {
    return Steps(start, 90, 90 - drain, 3600 / drain) +
           Status(Stamp(start + 3600).c_str(), kAc, (std::to_string(90 - drain) + "%").c_str());
}

// `count` such hours at 10 %/h, one every two hours.
std::string Hours(int count) {
    std::string log;
    for (int i = 0; i < count; i++) {
        log += HourOnBattery(i * 7200, 10);
    }
    return log;
}

// Text as Windows PowerShell 5.1's `>` writes it (UTF-16LE with its mark),
// or big-endian; `text` is ASCII or UTF-8 of at most three bytes a
// character, or U+1F50B written as "<battery>".
std::string Utf16(const std::string& text, bool bigEndian = false) {
    std::string units = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    auto put = [&](unsigned unit) {
        char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        units += bigEndian ? std::string{high, low} : std::string{low, high};
    };
    for (size_t i = 0; i < text.size(); i++) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (text.compare(i, 9, "<battery>") == 0) {
            put(0xD83D);
            put(0xDD0B);
            i += 8;
        } else if (c >= 0xE0) {
            put((c & 0x0F) << 12 | (text[i + 1] & 0x3F) << 6 | (text[i + 2] & 0x3F));
            i += 2;
        } else if (c >= 0xC0) {
            put((c & 0x1F) << 6 | (text[i + 1] & 0x3F));
            i += 1;
        } else {
            put(c);
        }
    }
    return units;
}

TEST(LogReport, EveryFormOfLogGivesItsSessions) {
    struct Case {
        const char* name;
        std::string log;
        std::string sessions;
        DateRange range;
        const char* zone = "UTC0";  // the zone the log was written in
        CsvTable table = CsvTable::Sessions;
    };
    int64_t dec6 = DaysFromCivil(2026, 12, 6), dec7 = DaysFromCivil(2026, 12, 7);
    const std::string overMidnight = Status("12/06/26 22:00:00", kBattery, "60%") +
                                     Status("12/06/26 23:00:00", kBattery, "50%") +
                                     Status("12/07/26 00:30:00", kBattery, "40%") +
                                     Status("12/07/26 01:00:00", kAc, "Charging, 40%");
    const Case cases[] = {
        {"one run", kOneRun, kOneRunSession + "\n", {}},
        {"CR LF", Replace(kOneRun, "\n", "\r\n"), kOneRunSession + "\n", {}},
        {"UTF-16LE, CR LF", Utf16(Replace(kOneRun, "\n", "\r\n")), kOneRunSession + "\n", {}},
        {"UTF-16BE", Utf16(kOneRun, true), kOneRunSession + "\n", {}},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + kOneRun, kOneRunSession + "\n", {}},
        // A character outside the BMP (a surrogate pair) in the banner.
        {"UTF-16LE, a pair",
         Utf16(Replace(kOneRun, "Console battery", "<battery> Console \xC3\xA9")),
         kOneRunSession + "\n",
         {}},
        // A restart cuts the session at its last report on battery.
        {"several runs",
         kBanner + Status("12/02/26 08:00:00", kBattery, "High, 90%") + kWarning +
             Status("12/02/26 09:00:00", kBattery, "High, 80%") + kBanner +
             Status("12/02/26 09:30:00", kBattery, "High, 79%") +
             Status("12/02/26 10:00:00", kAc, "High, Charging, 79%"),
         "2026-12-02T08:00:00,2026-12-02T09:00:00,3600,90,80,10.00,36000,,cut,0,\n"
         "2026-12-02T09:30:00,2026-12-02T10:00:00,1800,79,79,0.00,,,ac,0,\n",
         {}},
        // The journal's own times, 2 s after the stamps here; systemd's
        // lines skipped; a new process is a restart, banner or not.
        {"journal short-iso",
         "2026-12-03T09:00:05+0100 laptop systemd[900]: Started tolvane.service - Tolvane battery "
         "monitor.\n"
         "2026-12-03T09:00:05+0100 laptop tolvane[1234]: Tolvane\n"
         "2026-12-03T09:00:08+0100 laptop tolvane[1234]: 12/03/26 09:00:06  Power source: Battery  "
         "Status: 90%\n"
         "2026-12-03T10:00:08.123456+0100 laptop tolvane[1234]: 12/03/26 10:00:06  Power source: "
         "Battery  Status: 85%\n"
         "2026-12-03T10:30:02+01:00 laptop tolvane[1234]: 12/03/26 10:30:00  Power source: AC       "
         "Status: 85%\n"
         "2026-12-03T11:00:00Z laptop tolvane[1300]: 12/03/26 12:00:00  Power source: Battery  "
         "Status: 95%\n"
         "2026-12-03T11:30:00Z laptop tolvane[1300]: 12/03/26 12:30:00  Power source: Battery  "
         "Status: 93%\n"
         "2026-12-03T12:40:00+0100 laptop tolvane[1400]: 12/03/26 12:40:00  Power source: AC       "
         "Status: 93%\n",
         "2026-12-03T09:00:08+01:00,2026-12-03T10:30:02+01:00,5394,90,85,3.34,107880,,ac,0,laptop\n"
         "2026-12-03T11:00:00+00:00,2026-12-03T11:30:00+00:00,1800,95,93,4.00,90000,,cut,0,laptop\n",
         {}},
        // A reboot, and the user unit's monitor gets the same process id:
        // its banner ends the run before, on battery.
        {"journal, a reboot under the same process id",
         "2026-12-03T09:00:00+0100 laptop tolvane[812]: Tolvane\n"
         "2026-12-03T09:00:00+0100 laptop tolvane[812]: Beginning monitoring...\n"
         "2026-12-03T09:00:01+0100 laptop tolvane[812]: 12/03/26 09:00:01  Power source: Battery  "
         "Status: 90%\n"
         "2026-12-03T10:00:01+0100 laptop tolvane[812]: 12/03/26 10:00:01  Power source: Battery  "
         "Status: 80%\n"
         "2026-12-04T09:00:00+0100 laptop tolvane[812]: Tolvane\n"
         "2026-12-04T09:00:00+0100 laptop tolvane[812]: Beginning monitoring...\n"
         "2026-12-04T09:00:01+0100 laptop tolvane[812]: 12/04/26 09:00:01  Power source: Battery  "
         "Status: 100%\n"
         "2026-12-04T10:00:01+0100 laptop tolvane[812]: 12/04/26 10:00:01  Power source: Battery  "
         "Status: 94%\n"
         "2026-12-04T10:30:01+0100 laptop tolvane[812]: 12/04/26 10:30:01  Power source: AC       "
         "Status: 94%\n",
         "2026-12-03T09:00:01+01:00,2026-12-03T10:00:01+01:00,3600,90,80,10.00,36000,,cut,0,laptop\n"
         "2026-12-04T09:00:01+01:00,2026-12-04T10:30:01+01:00,5400,100,94,4.00,90000,,ac,0,laptop\n",
         {}},
        {"journal short-iso, every line",
         ShortIso(kOneRun, "77", "+0000"),
         Replace(kOneRunSession, ":00,", ":00+00:00,") + "laptop\n",
         {}},
        // -o short: a time without a year, so the stamps' own.
        {"journal short",
         "Dec 01 09:00:02 laptop tolvane[9]: 12/01/26 09:00:00  Power source: Battery  Status: "
         "90%\n"
         "Dec 01 09:10:00 laptop systemd[1]: 12/01/26 09:10:00  Power source: AC       Status: "
         "90%\n"
         "Dec  1 10:00:02 laptop tolvane[9]: 12/01/26 10:00:00  Power source: AC       Status: "
         "85%\n",
         "2026-12-01T09:00:00,2026-12-01T10:00:00,3600,90,90,0.00,,,ac,0,laptop\n",
         {}},
        // -o cat: the monitor's own lines, with the unit's messages from systemd.
        {"journal cat",
         "Started tolvane.service - Tolvane battery monitor.\n" + kOneRun +
             "Stopping tolvane.service - Tolvane battery monitor...\ntolvane.service: Deactivated "
             "successfully.\n",
         kOneRunSession + "\n",
         {}},
        {"cut-off last line",
         kOneRun.substr(0, kOneRun.find("12/01/26 11:30")) +
             "12/01/26 11:40:00  Power source: AC   ",
         "2026-12-01T09:00:00,2026-12-01T11:00:00,7200,100,80,10.00,36000,,cut,0,\n",
         {}},
        {"cut-off charge",
         kOneRun.substr(0, kOneRun.find("12/01/26 11:30")) +
             "12/01/26 11:40:00  Power source: Battery  Status: High, 7",
         "2026-12-01T09:00:00,2026-12-01T11:00:00,7200,100,80,10.00,36000,,cut,0,\n",
         {}},
        {"stray lines",
         "^C\nbash: tolvane: command not found\n" + std::string(5000, 'x') + "\n" +
             Replace(kOneRun, kWarning,
                     kWarning + "12/01/26 09:30:00  Power source: Battery  Status: High, 95%x\n" +
                         "02/30/26 09:40:00  Power source: Battery  Status: High, 95%\n" +
                         "Power source: Battery" + std::string(1, '\0') + "\n"),
         kOneRunSession + "\n",
         {}},
        // The remaining times of the "median estimate error" log (median
        // +7.5 %), and more: a negative one (0xFFFFFFFE as the monitor
        // prints it) is no time; the largest 32-bit one (+1.0e7 %) counts,
        // one beyond it is no number the monitor writes: median +10.0 %.
        {"a negative remaining time",
         Replace(kEstimates, Status("12/04/26 08:18:00", kBattery, "77%"),
                 Status("12/04/26 08:18:00", kBattery, "77%") +
                     "Battery life remaining     : -2 seconds.\n"
                     "Full battery life available: 40000 seconds.\n"),
         "2026-12-04T08:00:00,2026-12-04T09:15:00,4500,80,68,9.60,37500,7.5,ac,0,\n",
         {}},
        {"the largest 32-bit remaining time",
         Replace(Replace(kEstimates, Status("12/04/26 08:18:00", kBattery, "77%"),
                         Status("12/04/26 08:18:00", kBattery, "77%", 2147483647)),
                 Status("12/04/26 08:30:00", kBattery, "75%"),
                 Status("12/04/26 08:30:00", kBattery, "75%") +
                     "Battery life remaining     : 2147483648 seconds.\n"),
         "2026-12-04T08:00:00,2026-12-04T09:15:00,4500,80,68,9.60,37500,10.0,ac,0,\n",
         {}},
        // Another program's lines that look like reports, and no monitor's.
        {"another program's status lines",
         "2026-12-01T09:00:00+0000 laptop kernel: 12/01/26 09:00:00  Power source: Battery  "
         "Status: 90%\n"
         "2026-12-01T10:00:00+0000 laptop upowerd[733]: 12/01/26 10:00:00  Power source: AC       "
         "Status: 80%\n",
         "",
         {}},
        // Daylight saving time ends: the stamps go back an hour.
        {"clock going backwards",
         Status("10/25/26 02:50:00", kBattery, "60%") +
             Status("10/25/26 02:59:00", kBattery, "58%") +
             Status("10/25/26 02:01:00", kBattery, "57%") + Status("10/25/26 02:31:00", kAc, "57%"),
         "2026-10-25T02:50:00,2026-10-25T02:31:00,2340,60,57,4.62,78000,,ac,0,\n",
         {}},
        {"clock going backwards, journal",
         "2026-10-25T02:50:00+02:00 pc tolvane[5]: 10/25/26 02:50:00  Power source: Battery  "
         "Status: 60%\n"
         "2026-10-25T02:10:00+01:00 pc tolvane[5]: 10/25/26 02:10:00  Power source: AC       "
         "Status: 60%\n",
         "2026-10-25T02:50:00+02:00,2026-10-25T02:10:00+01:00,1200,60,60,0.00,,,ac,0,pc\n",
         {}},
        {"year boundary",
         Status("12/31/26 23:30:00", kBattery, "50%") +
             Status("01/01/27 00:30:00", kBattery, "40%") + Status("01/01/27 00:45:00", kAc, "38%"),
         "2026-12-31T23:30:00,2027-01-01T00:45:00,4500,50,40,8.00,45000,,ac,0,\n",
         {}},
        {"no battery", kBanner + Status("12/08/26 17:40:52", kAc, "No battery, ??%"), "", {}},
        // The charge where it is known; a report on an unknown source
        // neither begins nor ends a session.
        {"unknown charges",
         Status("12/05/26 10:00:00", kBattery, "Unknown") +
             Status("12/05/26 10:10:00", kBattery, "High, 80%") +
             Status("12/05/26 10:40:00", kBattery, "150%") +
             Status("12/05/26 11:00:00", kBattery, "79%") +
             Status("12/05/26 11:10:00", "Unknown  ", "78%"),
         "2026-12-05T10:00:00,2026-12-05T11:00:00,3600,80,79,1.20,,,cut,0,\n",
         {}},
        {"charge rising on battery",
         Status("12/05/26 10:00:00", kBattery, "50%") + Status("12/05/26 11:00:00", kBattery, "90%"),
         "2026-12-05T10:00:00,2026-12-05T11:00:00,3600,50,90,,,,cut,0,\n",
         {}},
        {"median estimate error",
         kEstimates,
         "2026-12-04T08:00:00,2026-12-04T09:15:00,4500,80,68,9.60,37500,7.5,ac,0,\n",
         {}},
        // Remaining times that were exactly right score 0, reported at each
        // step or every minute in between.
        {"exact times at each step", ExactDischarge(0), kExactSession, {}},
        {"exact times every minute", ExactDischarge(60), kExactSession, {}},
        // Ten hours with the lid shut: one point lost where the pace says 16.
        {"asleep on battery",
         Steps(10 * 86400 + 8 * 3600, 80, 70, 360) +
             Steps(10 * 86400 + 19 * 3600, 69, 60, 360) +
             Status("12/11/26 20:00:00", kAc, "Charging, 60%"),
         "2026-12-11T08:00:00,2026-12-11T20:00:00,43200,80,60,9.50,37895,,ac,36000,\n",
         {}},
        // A clock set right by NTP after a boot at 01/01/00: 27 years asleep.
        {"clock set right after the boot",
         Status("01/01/00 00:00:10", kBattery, "90%") + Status("12/11/26 10:00:00", kBattery, "89%") +
             Status("12/11/26 10:06:00", kAc, "89%"),
         "2000-01-01T00:00:10,2026-12-11T10:06:00,850298750,90,89,0.00,,,ac,850298390,\n",
         {}},
        // The spring change of daylight saving time: 01:30 to 03:30 is an hour.
        {"spring forward",
         Status("03/29/26 01:30:00", kBattery, "50%") + Status("03/29/26 03:25:00", kBattery, "45%") +
             Status("03/29/26 03:30:00", kAc, "45%"),
         "2026-03-29T01:30:00,2026-03-29T03:30:00,3600,50,45,5.00,72000,,ac,0,\n",
         {},
         kCentralEurope},
        // ... and the autumn hour that comes twice, told apart by the order.
        {"fall back",
         Status("10/25/26 02:50:00", kBattery, "60%") +
             Status("10/25/26 02:59:00", kBattery, "58%") +
             Status("10/25/26 02:01:00", kBattery, "57%") + Status("10/25/26 02:31:00", kAc, "57%"),
         "2026-10-25T02:50:00,2026-10-25T02:31:00,2460,60,57,4.39,82000,,ac,0,\n",
         {},
         kCentralEurope},
        // Unplugged in the repeated hour after a quiet night on mains: an
        // hour and a half; its hour lies in the night, the longest stretch.
        {"fall back after a quiet night",
         Status("10/24/26 22:00:00", kAc, "100%") + Status("10/25/26 02:30:00", kBattery, "100%") +
             Status("10/25/26 03:30:00", kBattery, "94%") + Status("10/25/26 04:00:00", kAc, "94%"),
         "2026-10-25T02:30:00,2026-10-25T04:00:00,5400,100,94,4.00,90000,,ac,0,\n",
         {},
         kCentralEurope},
        // ... and plugged in then, before a quiet morning: 40 minutes.
        {"fall back before a quiet morning",
         Status("10/25/26 01:30:00", kBattery, "60%") + Status("10/25/26 01:55:00", kBattery, "58%") +
             Status("10/25/26 02:10:00", kAc, "58%") + Status("10/25/26 08:00:00", kAc, "100%"),
         "2026-10-25T01:30:00,2026-10-25T02:10:00,2400,60,58,3.00,120000,,ac,0,\n",
         {},
         kCentralEurope},
        // A point a minute, asleep from 02:10 in the first pass to 02:50 in
        // the second: the quiet stretch holds the hour, all of it sleep.
        {"fall back, asleep across the change",
         Steps(-37 * 86400 + 100 * 60, 90, 60, 60) + Steps(-37 * 86400 + 170 * 60, 60, 50, 60) +
             Status("10/25/26 03:00:00", kAc, "50%"),
         "2026-10-25T01:40:00,2026-10-25T03:00:00,8400,90,50,60.00,6000,,ac,6000,\n",
         {},
         kCentralEurope},
        // A report every second through both passes of the hour: more than
        // are held at once, and two hours all the same.
        {"fall back, every second", EverySecondOfTheRepeatedHour(),
         "2026-10-25T02:00:00,2026-10-25T03:00:00,7200,100,81,9.50,37895,,ac,0,\n",
         {},
         kCentralEurope},
        {"two-digit years as strptime reads them",
         Status("12/31/99 23:30:00", kBattery, "50%") + Status("01/01/00 00:25:00", kBattery, "45%") +
             Status("01/01/00 00:30:00", kAc, "45%"),
         "1999-12-31T23:30:00,2000-01-01T00:30:00,3600,50,45,5.00,72000,,ac,0,\n",
         {}},
        {"journal short-precise, short-full and short-unix",
         "Dec 01 09:00:02.123456 laptop tolvane[9]: 12/01/26 09:00:00  Power source: Battery  "
         "Status: 90%\n"
         "Tue 2026-12-01 09:30:02 UTC laptop tolvane[9]: 12/01/26 09:30:00  Power source: "
         "Battery  Status: 89%\n"
         "1796119202.000001 laptop tolvane[9]: 12/01/26 10:00:00  Power source: AC       Status: "
         "88%\n",
         "2026-12-01T09:00:00,2026-12-01T10:00:00,3602,90,89,1.00,,,ac,0,laptop\n",
         {}},
        {"journal short-full on a Wednesday",
         "Wed 2026-12-02 09:00:02 UTC laptop tolvane[9]: 12/02/26 09:00:00  Power source: "
         "Battery  Status: 90%\n"
         "Wed 2026-12-02 09:30:02 UTC laptop tolvane[9]: 12/02/26 09:30:00  Power source: AC  "
         "     Status: 88%\n",
         "2026-12-02T09:00:00,2026-12-02T09:30:00,1800,90,90,0.00,,,ac,0,laptop\n",
         {}},
        // Travel west: the journal's offsets tell the half hour it lasted.
        {"journal with negative offsets",
         "2026-12-03T08:00:00-0500 pc tolvane[5]: 12/03/26 08:00:00  Power source: Battery  "
         "Status: 90%\n"
         "2026-12-03T14:30:00+01:00 pc tolvane[5]: 12/03/26 14:30:00  Power source: AC       "
         "Status: 88%\n",
         "2026-12-03T08:00:00-05:00,2026-12-03T14:30:00+01:00,1800,90,90,0.00,,,ac,0,pc\n",
         {}},
        {"a leap day, and the battery run flat",
         Status("02/29/28 23:30:00", kBattery, "5%") + Status("03/01/28 00:00:00", kBattery, "2%") +
             Status("03/01/28 00:10:00", kBattery, "0%") + Status("03/01/28 00:30:00", kAc, "0%"),
         "2028-02-29T23:30:00,2028-03-01T00:30:00,3600,5,0,5.00,72000,,ac,0,\n",
         {}},
        // A collector's journal: two machines' lines second by second, a
        // boot line between them; each machine its own session.
        {"two machines interleaved",
         Interleaved({"alpha tolvane[10]", "beta tolvane[20]"}),
         "2026-12-12T08:00:00+00:00,2026-12-12T08:30:00+00:00,1800,90,85,10.00,36000,,ac,0,alpha\n"
         "2026-12-12T08:00:01+00:00,2026-12-12T08:30:01+00:00,1800,90,85,10.00,36000,,ac,0,beta\n",
         {}},
        // Host names with a space are whole names, not their last word.
        {"two machines named with a space",
         Interleaved({"My Laptop tolvane[10]", "Your Laptop tolvane[20]"}),
         "2026-12-12T08:00:00+00:00,2026-12-12T08:30:00+00:00,1800,90,85,10.00,36000,,ac,0,My Laptop\n"
         "2026-12-12T08:00:01+00:00,2026-12-12T08:30:01+00:00,1800,90,85,10.00,36000,,ac,0,Your "
         "Laptop\n",
         {}},
        // Hosts a spreadsheet would take for formulas (any laptop's root
        // may name it so): their cells shown as text.
        {"hosts that look like formulas",
         Interleaved({"=2+5*cmd|A0 tolvane[10]", "@SUM(1) tolvane[20]", "+1 tolvane[30]",
                      "-x tolvane[40]"}),
         "2026-12-12T08:00:00+00:00,2026-12-12T08:30:00+00:00,1800,90,85,10.00,36000,,ac,0,'=2+5*cmd|A0\n"
         "2026-12-12T08:00:01+00:00,2026-12-12T08:30:01+00:00,1800,90,85,10.00,36000,,ac,0,'@SUM(1)\n"
         "2026-12-12T08:00:02+00:00,2026-12-12T08:30:02+00:00,1800,90,85,10.00,36000,,ac,0,'+1\n"
         "2026-12-12T08:00:03+00:00,2026-12-12T08:30:03+00:00,1800,90,85,10.00,36000,,ac,0,'-x\n",
         {}},
        // A number is no formula: remaining times shown 1/6 too short stay
        // a negative error.
        {"remaining times too short",
         Steps(3 * 3600, 80, 70, 360, [](int c) { return 300 * c; }) +
             Status("12/01/26 04:00:00", kAc, "70%"),
         "2026-12-01T03:00:00,2026-12-01T04:00:00,3600,80,70,10.00,36000,-17.2,ac,0,\n",
         {}},
        // Two users logged in, each with a monitor: one battery, one session;
        // the second one's start is no restart.
        {"two monitors on one machine",
         Interleaved({"alpha tolvane[10]", "alpha tolvane[20]"}),
         "2026-12-12T08:00:00+00:00,2026-12-12T08:30:00+00:00,1800,90,85,10.00,36000,,ac,0,alpha\n",
         {}},
        // The monitor's wake: times before a long gap, none in the first
        // report after it (they come back 10 s later). 46 minutes asleep,
        // 2 points lost; awake it drained 10 %/h.
        {"a wake shown by the monitor", WakeLog(2760), kWakeSession + "\n", {}},
        // The same log from the Windows program: its times don't tell a
        // wake, so the charge judges the gap, and 2 points in 46 minutes
        // is no sleep at the session's pace.
        {"a wake in a Windows log", Replace(WakeLog(2760), "\n", "\r\n"),
         "2026-12-13T09:00:00,2026-12-13T11:46:10,9970,80,58,7.94,45318,-22.7,ac,0,\n", {}},
        // Remaining times before the first step seen are measured from the
        // next step seen: most of them here.
        {"exact times before the first step", ExactDischarge(10, 288), kExactSession, {}},
        // A gauge of two points a step: no step seen, no estimate error.
        {"steps of 2 points",
         Steps(14 * 86400 + 9 * 3600, 80, 70, 720, [](int c) { return 360 * c; }, 2) +
             Status("12/15/26 10:00:00", kAc, "70%"),
         "2026-12-15T09:00:00,2026-12-15T10:00:00,3600,80,70,10.00,36000,,ac,0,\n", {}},
        // No times at all: the charge judges each long gap. Four hours
        // that lost nothing are sleep at once; the two and a half hours after
        // only once they are left out of the pace.
        {"asleep, found in the second pass",
         Steps(15 * 86400 + 9 * 3600, 80, 75, 360) + Status("12/16/26 13:30:00", kBattery, "75%") +
             Steps(15 * 86400 + 13 * 3600 + 1800 + 360, 74, 70, 360) +
             Status("12/16/26 16:30:00", kBattery, "70%") +
             Steps(15 * 86400 + 16 * 3600 + 1800 + 360, 69, 65, 360) +
             Status("12/16/26 17:00:00", kAc, "65%"),
         "2026-12-16T09:00:00,2026-12-16T17:00:00,28800,80,65,10.00,36000,,ac,23400,\n", {}},
        // Plugged in four hours after the last report, nothing lost: the
        // log can't show a wake there, and the pace says sleep.
        {"asleep before plugging in",
         Steps(16 * 86400 + 9 * 3600, 80, 70, 360, [](int c) { return 360 * c; }) +
             Status("12/17/26 14:00:00", kAc, "70%"),
         "2026-12-17T09:00:00,2026-12-17T14:00:00,18000,80,70,10.00,36000,-0.6,ac,14400,\n", {}},
        {"a session of one report",
         Status("12/18/26 09:00:00", kBattery, "90%", 32400) + kBanner +
             Status("12/18/26 09:30:00", kAc, "90%"),
         "2026-12-18T09:00:00,2026-12-18T09:00:00,0,90,90,,,,cut,0,\n", {}},
        // The step at the wake came asleep: not seen, no step to measure from.
        {"a wake that lost a point", WakeLog(2760, 1),
         "2026-12-13T09:00:00,2026-12-13T11:46:10,9970,80,59,9.99,36050,-0.8,ac,2760,\n", {}},
        {"a wake after exactly 15 minutes", WakeLog(900),
         "2026-12-13T09:00:00,2026-12-13T11:15:10,8110,80,58,9.99,36050,-0.8,ac,900,\n", {}},
        {"14:59 without times is awake", WakeLog(899),
         "2026-12-13T09:00:00,2026-12-13T11:15:09,8109,80,58,9.77,36859,-3.2,ac,0,\n", {}},
        // No times: plugged in exactly 15 minutes after the last report,
        // nothing lost. At 40 points an hour (26.7 over the whole session,
        // 6.7 points in the 15 minutes) that is sleep; at 30 (5.5) not.
        {"a quiet 15 minutes judged by the charge",
         Steps(17 * 86400 + 9 * 3600, 80, 60, 90) + Status("12/18/26 09:45:00", kAc, "60%"),
         "2026-12-18T09:00:00,2026-12-18T09:45:00,2700,80,60,40.00,9000,,ac,900,\n", {}},
        {"a quiet 15 minutes at a slower pace",
         Steps(17 * 86400 + 11 * 3600, 80, 60, 120) + Status("12/18/26 11:55:00", kAc, "60%"),
         "2026-12-18T11:00:00,2026-12-18T11:55:00,3300,80,60,21.82,16500,,ac,0,\n", {}},
        // Monitor 20 reports a step first; the one followed reports it 30 s
        // later: both running, it is still followed, to its own plug at
        // 09:30:30. At 31 s, 20 is followed from its step on.
        {"a step confirmed at 30 s",
         Alpha("10", "08:00:00", kBattery, "90%") + Alpha("20", "08:00:00", kBattery, "90%") +
             Alpha("20", "09:00:00", kBattery, "80%") + Alpha("10", "09:00:30", kBattery, "80%") +
             Alpha("20", "09:30:00", kAc, "80%") + Alpha("10", "09:30:30", kAc, "80%"),
         "2026-12-12T08:00:00+00:00,2026-12-12T09:30:30+00:00,5430,90,80,6.63,54300,,ac,0,alpha\n",
         {}},
        {"a step confirmed at 31 s",
         Alpha("10", "08:00:00", kBattery, "90%") + Alpha("20", "08:00:00", kBattery, "90%") +
             Alpha("20", "09:00:00", kBattery, "80%") + Alpha("10", "09:00:31", kBattery, "80%") +
             Alpha("20", "09:30:00", kAc, "80%") + Alpha("10", "09:30:31", kAc, "80%"),
         "2026-12-12T08:00:00+00:00,2026-12-12T09:30:00+00:00,5400,90,80,6.67,54000,,ac,0,alpha\n",
         {}},
        // Monitor 10 stops at 09:00:00; 20 starts in that second: a restart.
        {"a restart in the same second",
         Alpha("10", "08:00:00", kBattery, "90%") + Alpha("10", "09:00:00", kBattery, "80%") +
             Alpha("20", "09:00:00", kBattery, "79%") + Alpha("20", "09:30:00", kBattery, "75%") +
             Alpha("20", "10:00:00", kAc, "75%"),
         "2026-12-12T08:00:00+00:00,2026-12-12T09:00:00+00:00,3600,90,80,10.00,36000,,cut,0,alpha\n"
         "2026-12-12T09:00:00+00:00,2026-12-12T10:00:00+00:00,3600,79,75,4.00,90000,,ac,0,alpha\n",
         {}},
        // Both from 07:50; 10 stops after 09:00:00, 20 is followed from its
        // step in that second, and nothing it held from before is sent again
        // (its plug at 07:50 would end the session there).
        {"a switch sends no report again",
         Alpha("10", "07:50:00", kAc, "90%") + Alpha("20", "07:50:01", kAc, "90%") +
             Alpha("10", "08:00:00", kBattery, "90%") + Alpha("20", "08:00:01", kBattery, "90%") +
             Alpha("10", "09:00:00", kBattery, "80%") + Alpha("20", "09:00:00", kBattery, "79%") +
             Alpha("20", "09:30:00", kAc, "79%"),
         "2026-12-12T08:00:00+00:00,2026-12-12T09:30:00+00:00,5400,90,79,7.33,49091,,ac,0,alpha\n",
         {}},
        {"nine monitors on one machine",
         Interleaved({"alpha tolvane[10]", "alpha tolvane[20]", "alpha tolvane[30]",
                      "alpha tolvane[40]", "alpha tolvane[50]", "alpha tolvane[60]",
                      "alpha tolvane[70]", "alpha tolvane[80]", "alpha tolvane[90]"}),
         "2026-12-12T08:00:00+00:00,2026-12-12T08:30:00+00:00,1800,90,85,10.00,36000,,ac,0,alpha\n",
         {}},
        // 8 points in 7201 s: a full charge lasts 90012.5 s, rounded half up.
        {"full runtime of half a second",
         Status("12/01/26 09:00:00", kBattery, "90%") + Status("12/01/26 11:00:01", kBattery, "82%") +
             Status("12/01/26 11:00:01", kAc, "82%"),
         "2026-12-01T09:00:00,2026-12-01T11:00:01,7201,90,82,4.00,90013,,ac,0,\n",
         {}},
        // Both limits on one day: only its own reports.
        {"since and until the same day",
         overMidnight + Status("12/07/26 09:00:00", kBattery, "90%") +
             Status("12/07/26 10:00:00", kAc, "80%") + Status("12/08/26 09:00:00", kBattery, "90%") +
             Status("12/08/26 10:00:00", kAc, "80%"),
         "2026-12-07T00:30:00,2026-12-07T01:00:00,1800,40,40,0.00,,,ac,0,\n"
         "2026-12-07T09:00:00,2026-12-07T10:00:00,3600,90,90,0.00,,,ac,0,\n",
         {dec7, dec7}},
        // Asleep on battery: what each sleep cost; one that lost no point
        // has no drain but its bound (in the text); a night on mains is none.
        {"sleeps on battery",
         WakeLog(2760) + WakeLog(3600, 0) + Status("12/13/26 22:00:00", kAc, "58%") +
             Status("12/14/26 07:00:00", kAc, "58%"),
         "2026-12-13T10:00:00,2026-12-13T10:46:00,2760,70,68,2.61,\n"
         "2026-12-13T10:00:00,2026-12-13T11:00:00,3600,70,70,,\n",
         {}, "UTC0", CsvTable::Sleeps},
        // 50 %/h from 15 %: 20 to 80 % in 72 minutes, full at 100 %; held
        // at 80 % for two hours, then unplugged; unplugged at 60 %, its
        // rate over 30 to 60 %; a rise of a point is no charge.
        {"charges",
         Charging(20 * 86400 + 8 * 3600, 15, 100, 72) +
             Status("12/21/26 11:00:00", kBattery, "High, 99%") +
             Charging(20 * 86400 + 12 * 3600, 50, 80, 72) +
             Status("12/21/26 14:40:00", kBattery, "High, 80%") +
             Charging(20 * 86400 + 15 * 3600, 30, 60, 72) +
             Status("12/21/26 15:40:00", kBattery, "60%") +
             Charging(20 * 86400 + 16 * 3600, 59, 60, 72),
         "2026-12-21T08:00:00,2026-12-21T09:42:00,6120,15,100,50.00,4320,full,,\n"
         "2026-12-21T12:00:00,2026-12-21T12:36:00,2160,50,80,50.00,,held,80,\n"
         "2026-12-21T15:00:00,2026-12-21T15:40:00,2400,30,60,50.00,,unplugged,,\n",
         {}, "UTC0", CsvTable::Charges},
        // Two runs, the monitor stopped from 20:00 to 07:00 the next day.
        {"a day with the monitor not running",
         kBanner + Status("12/22/26 18:00:00", kAc, "100%") +
             Status("12/22/26 19:00:00", kBattery, "100%") +
             Status("12/22/26 20:00:00", kBattery, "90%") + kBanner +
             Status("12/23/26 07:00:00", kAc, "90%") + Status("12/23/26 08:00:00", kAc, "95%"),
         "2026-12-22,3600,0,3600,14400,\n2026-12-23,0,0,3600,25200,\n",
         {}, "UTC0", CsvTable::Days},
        {"until",
         overMidnight,
         "2026-12-06T22:00:00,2026-12-06T23:00:00,3600,60,50,10.00,36000,,cut,0,\n",
         {INT64_MIN, dec6}},
        {"since",
         overMidnight,
         "2026-12-07T00:30:00,2026-12-07T01:00:00,1800,40,40,0.00,,,ac,0,\n",
         {dec7, INT64_MAX}},
    };
    for (const Case& c : cases) {
#ifdef _WIN32
        if (c.zone != std::string("UTC0")) {
            continue;  // the C runtime knows only the United States' rules
        }
#endif
        SetZone(c.zone);
        EXPECT_EQ(Sessions(c.log, c.range, std::string::npos, c.table), c.sessions) << c.name;
        EXPECT_EQ(Sessions(c.log, c.range, 5, c.table), c.sessions) << c.name << ", fed in pieces";
        EXPECT_EQ(Sessions(c.log, c.range, 1, c.table), c.sessions) << c.name << ", byte by byte";
    }
}

// What the decoder hands on, for files fed whole, in pieces of 1 and of 3
// bytes; a file without a mark is passed on byte for byte.
TEST(LogReport, TextDecoder) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string file;
        std::string decoded;
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"plain", "a\r\nb\0\xFF"s, "a\r\nb\0\xFF"s},
        {"half a UTF-16 mark", "\xFF", "\xFF"},
        {"UTF-16 mark backwards", "\xFE\xFE\x41", "\xFE\xFE\x41"},
        {"part of the UTF-8 mark", "\xEF\xBB", "\xEF\xBB"},
        {"not the UTF-8 mark", "\xEF\xBB\xBE\x41", "\xEF\xBB\xBE\x41"},
        {"UTF-8 mark only", "\xEF\xBB\xBF", ""},
        {"UTF-8 mark", "\xEF\xBB\xBF\xEF\xBB\xBFx", "\xEF\xBB\xBFx"},  // only the first
        {"UTF-16LE", Utf16("a\xC3\xA9\xE2\x82\xAC<battery>\r\n"),
         "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x94\x8B\r\n"},
        {"UTF-16BE", Utf16("a\xC3\xA9<battery>", true), "a\xC3\xA9\xF0\x9F\x94\x8B"},
        {"UTF-16 mark only", "\xFF\xFE", ""},
        {"lone low half", "\xFF\xFE\x00\xDC\x41\x00"s, "\xEF\xBF\xBD" "A"},
        {"lone high half", "\xFF\xFE\x3D\xD8\x41\x00"s, "\xEF\xBF\xBD" "A"},
        {"high half at the end", "\xFF\xFE\x41\x00\x3D\xD8"s, "A\xEF\xBF\xBD"},
        {"odd byte at the end", "\xFF\xFE\x41\x00\x42"s, "A\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        for (size_t piece : {c.file.size() + 1, size_t{1}, size_t{3}}) {
            std::string decoded;
            int ends = 0;
            TextDecoder decoder([&](const char* data, size_t size) { decoded.append(data, size); },
                                [&] { ends++; });
            for (int file = 0; file < 2; file++) {  // each file has its own mark
                for (size_t at = 0; at < c.file.size(); at += piece) {
                    decoder.Feed(c.file.data() + at, std::min(piece, c.file.size() - at));
                }
                decoder.EndOfFile();
            }
            EXPECT_EQ(decoded, c.decoded + c.decoded) << c.name << ", pieces of " << piece;
            EXPECT_EQ(ends, 2) << c.name;
        }
    }
}

// Writes `text` to `path`.
void WriteFile(const std::string& path, const std::string& text) {
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_TRUE(file) << path;
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
}

TEST(LogReport, CommandLine) {
    std::string log = testing::TempDir() + "report-test.log";
    std::string input = testing::TempDir() + "report-test-stdin.log";
    std::string page = testing::TempDir() + "report-test.html";
    std::string unwritten = testing::TempDir() + "report-test-unwritten.html";
    remove(page.c_str());
    remove(unwritten.c_str());
    WriteFile(log, kOneRun);
    const std::string csv = std::string(kCsvHeader) + "\n" + kOneRunSession + "\n";
    const int64_t day = 86400, nine = 9 * 3600;
    const std::string undrained = Status(Stamp(nine).c_str(), kBattery, "90%") +
                                  Status(Stamp(nine + 3600).c_str(), kAc, "89%");
    // Machines met in another order than the fleet view's. wear: 10 and
    // 20 %/h in its first 30 days, 40 %/h 30 days after its first session,
    // 18 %/h 60 days after it; flat: 59 days 23 hours between its two.
    const std::string fleet =
        OnHost("zulu", undrained) +
        OnHost("wear", HourOnBattery(nine, 10) + HourOnBattery(29 * day + 21 * 3600, 20) +
                           HourOnBattery(30 * day + nine, 40) + HourOnBattery(60 * day + nine, 18)) +
        OnHost("flat", HourOnBattery(nine, 10) + HourOnBattery(60 * day + nine - 3600, 10)) +
        OnHost("better", HourOnBattery(nine, 12) + HourOnBattery(60 * day + nine, 10)) +
        OnHost("long", HourOnBattery(nine, 12)) +
        OnHost("mild", HourOnBattery(nine, 16) + HourOnBattery(60 * day + nine, 18)) +
        OnHost("echo", undrained) + OnHost("short", HourOnBattery(nine, 20));
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out;  // exactly; "Usage" for the help text; "From ..." a summary and a page;
                          // "..." and a part of it
        std::string err;  // a part of it
        std::string in = kOneRun;
        const char* inMode = "rb";   // "ab": standard input fails when read
        const char* outMode = "w+b";  // "rb": standard output fails when written
    };
    const Case cases[] = {
        {{"--format=csv", log}, 0, csv, ""},
        {{"--format", "csv", "-"}, 0, csv, ""},  // standard input: the same log
        {{"--format=csv", "--since=2026-12-02", log}, 0, std::string(kCsvHeader) + "\n", ""},
        {{"--version"}, 0, "tolvane-report " TOLVANE_VERSION "\n", ""},
        // What the summary says where it has nothing to show, and why.
        {{"-"},
         0,
         "No line of the input looks like a Tolvane log. tolvane-report reads the monitor's "
         "output as saved with tee, and the journal as journalctl prints it (-o short-iso, short, "
         "short-precise, short-full, short-unix or cat).\n",
         "",
         "Dec 09 08:30:00 laptop kernel: ACPI: battery\n"},
        {{"--until=2026-11-30", log},
         0,
         "No reports from the start to 2026-11-30; the log's reports run from 2026-12-01 to "
         "2026-12-01.\n",
         ""},
        {{"--format=csv", "--host=laptop", log}, 0, std::string(kCsvHeader) + "\n", ""},
        // Text and the page together, both on standard output.
        {{"--format=text", "--html=-", log},
         0,
         "From 2026-12-01 08:00 to 2026-12-01 11:30 (3h 30m): 5 reports, 1 run",
         ""},
        {{"--help"}, 0, "Usage", ""},
        {{"--bogus", log}, 2, "", "unknown option '--bogus'\nTry 'tolvane-report --help'"},
        {{"--format=xml"}, 2, "", "'xml' is not text, csv or log"},
        {{"--format=log", log}, 2, "", "'--format=log' goes with --batteries only"},
        {{"--batteries", "--format=csv", log}, 2, "", "--batteries reads no log"},
        {{"--batteries", "--since=2026-12-01"}, 2, "", "--batteries reads no log"},
        {{"--since", "2026-02-30"}, 2, "", "'2026-02-30' is not a date"},
        {{"--since=2026-12-02", "--until=2026-12-01"}, 2, "", "--since is after --until"},
        {{"--html"}, 2, "", "'--html' needs a value"},
        // A file that can't be read: nothing on standard output, even for the ones that can.
        {{"--format=csv", log, "/nonexistent/battery.log"},
         1,
         "",
         "/nonexistent/battery.log: No such file"},
        {{"."}, 1, "", "tolvane-report: .: "},  // a directory: EISDIR here, EACCES on Windows
        // The folder is named: it is where the page can't be made.
        {{"--html=/nonexistent/page.html", log},
         1,
         "",
         "/nonexistent: No such file or directory (the folder of /nonexistent/page.html"},
        // A new page, then one replaced (on Windows by MoveFileEx).
        {{"--html", page, log}, 0, "", ""},
        {{"--html", page, "--since=2026-12-02", log}, 0, "", ""},
        // The page must never replace the log it is made from.
        {{"--html", log, "--format=csv", log}, 1, "", log + ": is the input file " + log},
        {{"--html=" + input}, 1, "", input + ": is standard input; the page would replace it"},
        // The page's file and the log swapped: the log is no page, and the
        // page holds no report.
        {{"--html", log, page}, 1, "", log + ": not replaced: it is not a page tolvane-report wrote"},
        {{"--html", unwritten, page}, 1, "", "No line of the input looks like a Tolvane log. "},
        {{"--html", unwritten, "-"},
         1,
         "",
         "No Tolvane reports in the log. No page was written.",
         kBanner},
        // Standard input fails once the first file is read: still no half CSV.
        {{"--format=csv", log, "-"}, 1, "", "tolvane-report: standard input: ", kOneRun, "ab"},
        {{"--format=csv"}, 1, "", "tolvane-report: standard input: ", kOneRun, "ab"},
        // Every status 1 says why, also when only standard output failed.
        {{"--version"}, 1, "", "tolvane-report: standard output: ", kOneRun, "rb", "rb"},
        {{"--help"}, 1, "", "tolvane-report: standard output: ", kOneRun, "rb", "rb"},
        {{"--format=csv", log}, 1, "", "tolvane-report: standard output: ", kOneRun, "rb", "rb"},
        {{log}, 1, "", "tolvane-report: standard output: ", kOneRun, "rb", "rb"},
        // The summary's figures.
        {{"-"},
         0,
         "...): 4 reports, 3 runs\n",
         "",
         kBanner + Status("12/01/26 08:00:00", kAc, "90%") + kBanner +
             Status("12/01/26 09:00:00", kBattery, "90%") +
             Status("12/01/26 10:00:00", kBattery, "85%") + kBanner +
             Status("12/01/26 11:00:00", kAc, "85%")},
        {{"-"},
         0,
         "...\n(the latest 1000 of 1001 sessions; --format=csv or --since lists the others)\nAsleep:",
         "",
         Hours(1001)},
        {{"-"}, 0, "...  10.0  10h 00m         -  ac\nAsleep:", "", Hours(1000)},
        // The trend by day while its days span less than four weeks.
        {{"-"},
         0,
         "...\nBy day:\nDay ",
         "",
         HourOnBattery(nine, 10) + HourOnBattery(27 * day + nine, 10)},
        {{"-"},
         0,
         "...\nBy week:\nWeek of ",
         "",
         HourOnBattery(nine, 10) + HourOnBattery(28 * day + nine, 10)},
        {{"--format=csv", "--since=2026-12-01", "--until=2026-12-01", log}, 0, csv, ""},
        // The fleet view: its order, its windows of 30 days and the change
        // between them.
        {{"-"},
         0,
         "...Charging\n"
         "wear             2026-12-01 2027-01-30        4  4h 00m            18.0   5h 33m   15.0   "
         "6h 40m   -16.7%          -       -       -         -\n"
         "mild             2026-12-01 2027-01-30        2  2h 00m            18.0   5h 33m   16.0   "
         "6h 15m   -11.1%          -       -       -         -\n"
         "better           2026-12-01 2027-01-30        2  2h 00m            10.0  10h 00m   12.0   "
         "8h 20m   +20.0%          -       -       -         -\n"
         "short            2026-12-01 2026-12-01        1  1h 00m            20.0   5h 00m   20.0   "
         "5h 00m        -          -       -       -         -\n"
         "long             2026-12-01 2026-12-01        1  1h 00m            12.0   8h 20m   12.0   "
         "8h 20m        -          -       -       -         -\n"
         "flat             2026-12-01 2027-01-30        2  2h 00m            10.0  10h 00m   10.0  "
         "10h 00m        -          -       -       -         -\n"
         "echo             2026-12-01 2026-12-01        1  1h 00m               -        -      -   "
         "     -        -          -       -       -         -\n"
         "zulu             2026-12-01 2026-12-01        1  1h 00m               -        -      -   "
         "     -        -          -       -       -         -\n",
         "",
         fleet},
        // Host names in characters, not bytes; a long one cut.
        {{"-"},
         0,
         "...Charging\n"
         "caf\xC3\xA9-lab         2026-12-01 2026-12-01        1  1h 00m            20.0   5h 00m   "
         "20.0   5h 00m        -          -       -       -         -\n"
         "a-very-long-hos\xE2\x80\xA6 2026-12-01 2026-12-01        1  1h 00m            12.0   8h 20m   "
         "12.0   8h 20m        -          -       -       -         -\n",
         "",
         OnHost("caf\xC3\xA9-lab", HourOnBattery(nine, 20)) +
             OnHost("a-very-long-host-name.example.org", HourOnBattery(nine, 12))},
        // A file given twice, by the same name or another.
        {{log, log}, 1, "", log + ": given twice; give each file once"},
        {{"--format=csv", log, testing::TempDir() + "./report-test.log"},
         1,
         "",
         testing::TempDir() + "./report-test.log: given twice (the same file as " + log +
             "); give each file once"},
        // As Windows PowerShell 5.1 saves it, and with a UTF-8 mark.
        {{"--format=csv"}, 0, csv, "", Utf16(Replace(kOneRun, "\n", "\r\n"))},
        // The same log twice: the second begins before the first ends.
        {{"--format=csv", "-", log},
         1,
         "",
         ": its reports begin at 2026-12-01 08:00, before the end of standard input (2026-12-01 "
         "11:30): give the files oldest first, as in: tolvane-report ",
         "\xEF\xBB\xBF" + kOneRun},
    };
    for (const Case& c : cases) {
#ifdef _WIN32
        if (std::string(c.inMode) == "ab") {
            continue;  // msvcrt reads a stream open only for writing as empty, not as an error
        }
#endif
        std::vector<char*> argv = {const_cast<char*>("tolvane-report")};
        std::string name;
        for (const std::string& argument : c.arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
            name += argument + " ";
        }
        std::string outName = testing::TempDir() + "report-test-stdout";
        WriteFile(input, c.in);
        WriteFile(outName, "");
        FILE* in = fopen(input.c_str(), c.inMode);
        FILE* out = fopen(outName.c_str(), c.outMode);
        FILE* err = tmpfile();
        ASSERT_TRUE(in && out && err);
        EXPECT_EQ(RunReport(static_cast<int>(argv.size()), argv.data(), in, out, err), c.status)
            << name;
        fclose(out);
        out = fopen(outName.c_str(), "rb");
        ASSERT_TRUE(out);
        std::string written = Contents(out);
        if (c.out == "Usage") {
            EXPECT_EQ(written.rfind("Usage: tolvane-report [OPTION]... [FILE]...\n", 0), 0u)
                << name;
        } else if (c.out.rfind("From ", 0) == 0) {
            EXPECT_EQ(written.rfind(c.out, 0), 0u) << name << ": " << written;
            EXPECT_NE(written.find("\n<!DOCTYPE html>"), std::string::npos) << name;
        } else if (c.out.rfind("...", 0) == 0) {
            EXPECT_NE(written.find(c.out.substr(3)), std::string::npos)
                << name << ": no\n" << c.out.substr(3) << "\nin\n" << written;
        } else {
            EXPECT_EQ(written, c.out) << name;
        }
        std::string said = Contents(err);
        EXPECT_NE(said.find(c.err), std::string::npos) << name << ": " << said;
        EXPECT_EQ(c.status == 0, said.empty()) << name << ": " << said;
        fclose(in);
        fclose(out);
        fclose(err);
        remove(outName.c_str());
    }
    FILE* file = fopen(log.c_str(), "rb");
    ASSERT_TRUE(file);
    EXPECT_EQ(Contents(file), kOneRun) << "the log, after all of that";
    fclose(file);
    EXPECT_EQ(fopen(unwritten.c_str(), "rb"), nullptr) << "a page of no report";
    file = fopen(page.c_str(), "rb");
    ASSERT_TRUE(file) << page;
    std::string html = Contents(file);  // the second page: no session after --since
    EXPECT_NE(html.find("</html>"), std::string::npos);
    EXPECT_EQ(html.find("charge-chart"), std::string::npos) << "the first page is still there";
    EXPECT_NE(html.find("No reports from 2026-12-02 to the end; the log's reports run from "
                        "2026-12-01 to 2026-12-01."),
              std::string::npos);
    fclose(file);
    remove(page.c_str());
    remove(log.c_str());
    remove(input.c_str());
}

// The HTML page of a log, with its charts.
std::string Page(const std::string& log) {
    MachineLogs logs(nullptr);
    LogParser parser(DateRange(), {}, &logs);
    LineSplitter splitter(&parser);
    splitter.Feed(log.data(), log.size());
    splitter.EndOfFile();
    parser.Finish();
    FILE* out = tmpfile();
    EXPECT_TRUE(out);
    if (!out) {
        return "";
    }
    WriteHtmlPage(out, logs.Machines(), {"battery.log"}, "No Tolvane reports in the log.");
    std::string page = Contents(out);
    fclose(out);
    return page;
}

// From 09:00 on 12-01, a step of 1 % every 6 minutes from 100 % to 80 %,
// on mains from 11:00: 10 %/h. Each report at c % shows a remaining time
// of 360c seconds, just what the session bears out, but for a stale 34.9 h
// at 95 % and 6 h at 90 %.
std::string TenPercentAnHour() {
    return kBanner + Status("12/01/26 08:00:00", kAc, "100%") +
           Steps(9 * 3600, 100, 80, 360,
                 [](int c) { return c == 95 ? 125640 : c == 90 ? 21600 : 360 * c; }) +
           Status("12/01/26 11:00:00", kAc, "80%") + Status("12/01/26 12:00:00", kAc, "80%");
}

// The figures of the page's charts, read out of its SVG: where a known
// charge is plotted, the marks of the sessions, the breaks in the charge
// line, the drain bars and their titles, the estimate chart's scale and
// the points beyond it, the labels of the axes.
TEST(LogReport, ThePageDrawsTheLogsFigures) {
    // 2 h from 09:00 at 4 %/h on 12-02.
    std::string fourPercent =
        Steps(86400 + 9 * 3600, 60, 52, 900) + Status("12/02/26 11:00:00", kAc, "52%");
    // Steps of 6 minutes, one of 30 (the pace explains it), 2 steps in 20
    // minutes (one missed), 2 h asleep.
    std::string asleep = Steps(9 * 3600, 90, 85, 360) + Steps(10 * 3600, 84, 84, 0) +
                         Steps(10 * 3600 + 1200, 82, 81, 360) + Steps(12 * 3600, 70, 65, 360) +
                         Status("12/01/26 12:30:00", kAc, "65%");
    auto session = [](const char* from, const char* to) {
        return Status(from, kBattery, "90%") + Status(to, kBattery, "85%") + Status(to, kAc, "85%");
    };
    struct Case {
        const char* name;
        std::string log;
        int chargeLines;  // polylines of the charge
        std::vector<std::string> shown;
        std::vector<std::string> absent;
    };
    const Case cases[] = {
        // Over 08:00 to 12:00, 4 h in 902 units from x = 48; 100 % at y = 12, 0 % at 232.
        {"ten percent an hour",
         TenPercentAnHour(),
         1,
         {"499,34 ", "724.5,56 ",  // 90 % at 10:00, 80 % at 11:00
          "<rect class=\"session\" x=\"273.5\" y=\"238\" width=\"451\" height=\"8\"><title>"
          "2026-12-01 09:00 to 2026-12-01 11:00: 1 session, 2h 00m on battery</title>",
          // The last tick's label ends at the chart's edge rather than run off it.
          "<text x=\"950\" y=\"262\" text-anchor=\"end\">12-01 12:00</text>",
          "<text x=\"48\" y=\"262\" text-anchor=\"middle\">12-01 08:00</text>",
          // Points up to 10.05 h on a scale of 2 h steps to 12 h, the 34.9 h on
          // its edge; 90 % shown 6 h, borne out 9.05 h (90.5 % at 10 %/h; 95 %
          // borne out 9.55 h) of 12 h
          // over 408 units from x = 48 and 420 from y = 448.
          ">12 h</text>", "<circle class=\"estimate\" cx=\"355.7\" cy=\"238\"",
          "<circle class=\"beyond\" cx=\"372.7\" cy=\"28\" r=\"3.5\"><title>shown 34h 54m, "
          "borne out 9h 33m</title>",
          ">1</tspan> beyond 12 h", "<h2>Drain per day</h2>",
          "<title>2026-12-01: 10.0 %/h over 2h 00m</title>"},
         {">14 h</text>", "No sessions on battery."}},
        // Two days' bars on a scale to 10 %/h of 220 units.
        {"two days",
         TenPercentAnHour() + fourPercent,
         -1,
         {"y=\"12\" width=\"315.7\" height=\"220\"><title>2026-12-01: 10.0 %/h over 2h 00m",
          "y=\"144\" width=\"315.7\" height=\"88\"><title>2026-12-02: 4.0 %/h over 2h 00m",
          ">10</text>", ">12-01</text>", ">12-02</text>",
          "2026-12-01 09:00 to 2026-12-01 11:00: 1 session, 2h 00m on battery",
          "2026-12-02 09:00 to 2026-12-02 11:00: 1 session, 2h 00m on battery"},
         {}},
        // New lines at 10:20 and 12:00, of 3.5 h over 902 units: 82 % and 70 %.
        {"gaps",
         asleep,
         3,
         {"<polyline class=\"charge\" points=\"391.6,51.6 ",
          "<polyline class=\"charge\" points=\"821.1,78 "},
         {}},
        {"over the year's end",
         session("12/31/26 09:00:00", "12/31/26 10:00:00") +
             session("01/01/27 09:00:00", "01/01/27 10:00:00"),
         -1,
         {"aria-label=\"Drain per day\"", ">2026-12-31</text>", ">2027-01-01</text>"},
         {">12-31</text>"}},
        // More than 400 days: weeks, from Monday, labelled with their year.
        {"fourteen months",
         session("01/07/26 09:00:00", "01/07/26 10:00:00") +
             session("03/03/27 09:00:00", "03/03/27 10:00:00"),
         -1,
         {"<h2>Drain per week</h2>", "(Monday to Sunday)",
          "height=\"220\"><title>week of 2026-01-05: 5.0 %/h over 1h 00m</title>",
          ">2026-01-05</text>",
          ">2027-03-01</text>"},
         {"Drain per day", "<title>2026-01-07: "}},
        // Each machine's section in the fleet table's order.
        {"machines",
         OnHost("long", HourOnBattery(9 * 3600, 12)) + OnHost("short", HourOnBattery(9 * 3600, 20)),
         -1,
         {"<tr><td><a href=\"#machine-1\">short</a>", "<tr><td><a href=\"#machine-2\">long</a>",
          "<section class=\"machine\" id=\"machine-1\"><h2>short</h2>",
          "<section class=\"machine\" id=\"machine-2\"><h2>long</h2>"},
         {}},
        {"1001 sessions", Hours(1001), -1, {"<p>The latest 1000 of 1001 sessions;"}, {}},
        {"1000 sessions", Hours(1000), -1, {"</table></section>"}, {"The latest"}},
        // 46 minutes asleep from 10:00 of 9970 s over 902 units, hatched;
        // a day's bar of 2 h on battery and 46 minutes asleep, of 220 units.
        {"asleep",
         WakeLog(2760),
         2,
         {"<rect class=\"asleep\" fill=\"url(#asleep-hatch)\" x=\"373.7\" y=\"12\" "
          "width=\"249.7\" height=\"220\"><title>0h 46m asleep on battery",
          "y=\"213.6\" width=\"631.4\" height=\"18.4\"><title>2026-12-13: 2h 00m on battery",
          "y=\"206.6\" width=\"631.4\" height=\"7\"><title>2026-12-13: 0h 46m asleep"},
         {}},
        {"no sessions",
         Status("12/01/26 08:00:00", kAc, "90%") + Status("12/01/26 09:00:00", kAc, "91%"),
         1,
         {"<p>No sessions on battery.</p>"},
         {"<table id=\"sessions\"", "class=\"session\""}},
    };
    for (const Case& c : cases) {
        std::string page = Page(c.log);
        for (const std::string& part : c.shown) {
            EXPECT_NE(page.find(part), std::string::npos) << c.name << ": no " << part;
        }
        for (const std::string& part : c.absent) {
            EXPECT_EQ(page.find(part), std::string::npos) << c.name << ": " << part;
        }
        int lines = 0;
        for (size_t at = page.find("<polyline class=\"charge\""); at != std::string::npos;
             at = page.find("<polyline class=\"charge\"", at + 1)) {
            lines++;
        }
        if (c.chargeLines >= 0) {
            EXPECT_EQ(lines, c.chargeLines) << c.name;
        }
    }
}

// A break asked for where a gap was found to be sleep starts the charge's
// next line there, and outlives the merging of buckets; a bucket that
// already holds a charge before the gap can't be split.
TEST(LogReport, ChargeSeriesBreaksItsLine) {
    ChargeSeries series;
    series.Start(1000);
    series.AddCharge(1000, 50, true);
    series.AddCharge(37000, 49, false);  // ten hours for one step: nothing missed
    series.AddCharge(37030, 48, false);
    series.AddCharge(37090, 47, false);
    auto startsLine = [&](int64_t elapsed) {
        return series.Buckets()[static_cast<size_t>((elapsed - 1000) / series.Width())].startsRun;
    };
    ASSERT_EQ(series.Width(), 64);
    EXPECT_FALSE(startsLine(37000));
    series.BreakAt(37030);  // in the bucket of 37000
    EXPECT_FALSE(startsLine(37000));
    series.BreakAt(37000);
    EXPECT_TRUE(startsLine(37000));
    EXPECT_FALSE(startsLine(37090));
    series.AddCharge(73000, 40, false);  // 10 hours, 7 steps missed
    ASSERT_EQ(series.Width(), 128);
    EXPECT_TRUE(startsLine(37000));
    EXPECT_TRUE(startsLine(73000));

    // A break in an empty bucket holds for the charge after it, merged or not.
    ChargeSeries other;
    other.Start(0);
    other.AddCharge(0, 50, true);
    other.BreakAt(2);
    other.AddCharge(3, 50, false);
    EXPECT_TRUE(other.Buckets()[2].startsRun);
    other.AddCharge(720, 50, false);
    ASSERT_EQ(other.Width(), 2);
    EXPECT_TRUE(other.Buckets()[1].startsRun);
}

// Memory bounded by the input's kind, not its length: ten thousand days
// of sessions fold into at most kMaxPeriods periods, the oldest the
// longest, losing no session, no charge and no second.
TEST(LogReport, DrainPeriodsFoldIntoWeeks) {
    LogSummary summary;
    for (int day = 0; day < 10000; day++) {
        Session session;
        session.start.shown = CivilFromSeconds((DaysFromCivil(2000, 1, 3) + day) * 86400);
        session.awakeFall = 10;
        session.awakeSeconds = 3600;
        session.percentPerHour = 10;
        session.fullRuntimeSeconds = 36000;
        summary.OnSession(session);
    }
    const std::map<int64_t, DrainPeriod>& periods = summary.DrainPeriods();
    EXPECT_LE(periods.size(), LogSummary::kMaxPeriods);
    int sessions = 0;
    double percent = 0, seconds = 0;
    for (const auto& [first, period] : periods) {
        sessions += period.sessions;
        percent += period.percent;
        seconds += period.seconds;
    }
    EXPECT_EQ(sessions, 10000);
    EXPECT_EQ(percent, 100000);
    EXPECT_EQ(seconds, 36000000);
    EXPECT_GT(periods.begin()->second.days, 7) << "the oldest folded beyond weeks";
    EXPECT_EQ(periods.rbegin()->second.days, 1) << "the latest still days";
    EXPECT_EQ(MakeTrend(periods, 14).rows.back().firstDay, DaysFromCivil(2027, 5, 17));
}

// How every output writes its figures: durations to the nearest minute,
// whole days, an error that rounds to nothing without a sign.
TEST(LogReport, Formatting) {
    EXPECT_EQ(FormatDuration(5999), "1h 40m");
    EXPECT_EQ(FormatDuration(86400, true), "1 day 0h 00m");
    EXPECT_EQ(FormatDuration(2 * 86400 + 3 * 3600 + 5 * 60, true), "2 days 3h 05m");
    EXPECT_EQ(FormatError(0), "0.0%");
    EXPECT_EQ(FormatError(-0.04), "0.0%");
    EXPECT_EQ(FormatError(4.06), "+4.1%");
    EXPECT_EQ(FormatFixed(-0.001, 2), "0.00");
}

// The terminal summary of one session: the span, the totals, the session's
// row and the trend, with durations in hours and minutes; and a session of
// 27 years (a clock set right after a boot) widening its columns for the
// whole table, every row's cells still under their headings.
TEST(LogReport, TextSummary) {
    struct Case {
        std::string log;
        std::vector<const char*> parts;
    };
    const Case cases[] = {
        {kOneRun,
         {"From 2026-12-01 08:00 to 2026-12-01 11:30 (3h 30m): 5 reports, 1 run\n",
          "On battery 2h 30m in 1 session, on mains 1h 00m\n",
          "Start            End          Length  Asleep From   To   %/h     Full Estimates  Ended\n"
          "2026-12-01 09:00 11:30        2h 30m       - 100%  80%   8.0  12h 30m         -  ac\n",
          "Median over 1 session that drained 2 points or more: 8.0 %/h, full 12h 30m.\n"
          "By day:\nDay        Sessions   %/h     Full\n2026-12-01        1   8.0  12h 30m\n"}},
        {Status("12/10/26 09:00:00", kBattery, "90%") + Status("12/10/26 18:05:00", kBattery, "85%") +
             Status("12/10/26 18:05:00", kAc, "85%") + Status("01/01/00 00:00:10", kBattery, "90%") +
             Status("12/11/26 10:00:00", kBattery, "89%") + Status("12/11/26 10:06:00", kAc, "89%"),
         {"Start            End                   Length      Asleep From   To   %/h     Full "
          "Estimates  Ended\n"
          "2026-12-10 09:00 18:05                 9h 05m           -  90%  85%   0.6 181h 40m "
          "        -  ac\n"
          "2000-01-01 00:00 2026-12-11 10:06 236194h 06m 236194h 00m  90%  89%   0.0        - "
          "        -  ac\n"}},
        // A session that slept: on battery is the time awake, asleep apart.
        {WakeLog(2760),
         {"On battery 2h 00m in 1 session, on mains 0h 00m; asleep on battery 0h 46m\n"}},
    };
    for (const Case& c : cases) {
        MachineLogs logs(nullptr);
        LogParser parser(DateRange(), {}, &logs);
        LineSplitter splitter(&parser);
        splitter.Feed(c.log.data(), c.log.size());
        parser.Finish();
        ASSERT_EQ(logs.Machines().size(), 1u);
        FILE* out = tmpfile();
        ASSERT_TRUE(out);
        WriteTextSummary(out, *logs.Machines()[0]);
        std::string text = Contents(out);
        fclose(out);
        for (const char* part : c.parts) {
            EXPECT_NE(text.find(part), std::string::npos) << "no\n" << part << "in\n" << text;
        }
    }
}

// A year of a report every ten minutes, three sessions on battery a day
// (more than the tables keep): the page stays well under 1 MB, the charge
// line thinned to at most two points per bucket, every day's drain drawn,
// every session and every second on battery in the charge chart's marks.
TEST(LogReport, AYearMakesAPageOfBoundedSize) {
    MachineLogs logs(nullptr);
    LogParser parser(DateRange(), {}, &logs);
    for (int64_t minute = 0; minute < 365 * 24 * 60; minute += 10) {
        CivilTime time = CivilFromSeconds(DaysFromCivil(2026, 1, 1) * 86400 + minute * 60);
        int ofDay = static_cast<int>(minute % 1440);
        bool battery = ofDay >= 9 * 60 && ofDay < 18 * 60 && (ofDay - 9 * 60) % 180 < 120;
        int charge = battery ? 100 - (ofDay - 9 * 60) % 180 / 4 : 100;
        char line[96];
        snprintf(line, sizeof line, "%02d/%02d/%02d %02d:%02d:00  Power source: %sStatus: %d%%",
                 time.month, time.day, time.year % 100, time.hour, time.minute,
                 battery ? kBattery : kAc, charge);
        parser.Line(line);
        parser.Line("Battery life remaining     : " + std::to_string(charge * 150) + " seconds.");
    }
    parser.Finish();
    ASSERT_EQ(logs.Machines().size(), 1u);
    const LogSummary& summary = logs.Machines()[0]->Summary();
    ASSERT_EQ(summary.SessionCount(), 3 * 365);
    double batterySeconds = 0;
    for (const ChargeBucket& bucket : summary.Charge().Buckets()) {
        batterySeconds += bucket.batterySeconds;
    }
    EXPECT_EQ(batterySeconds, static_cast<double>(summary.BatterySeconds()));
    FILE* out = tmpfile();
    ASSERT_TRUE(out);
    WriteHtmlPage(out, logs.Machines(), {"<year>.log"}, "");
    std::string page = Contents(out);
    fclose(out);
    EXPECT_LT(page.size(), 1000000u);
    EXPECT_EQ(page.find("<year>"), std::string::npos);
    EXPECT_NE(page.find("&lt;year&gt;.log"), std::string::npos);
    size_t points = 0, drains = 0;
    long marked = 0;
    for (size_t at = page.find("class=\"session\""); at != std::string::npos;
         at = page.find("class=\"session\"", at + 1)) {
        marked += strtol(page.c_str() + page.find(": ", page.find(" to ", at)) + 2, nullptr, 10);
    }
    EXPECT_EQ(marked, summary.SessionCount());
    for (size_t at = page.find("class=\"charge\" points=\""); at != std::string::npos;
         at = page.find("class=\"charge\"", at + 1)) {
        for (size_t end = page.find('"', at + 23), comma = page.find(',', at); comma < end;
             comma = page.find(',', comma + 1)) {
            points++;
        }
    }
    for (size_t at = page.find("class=\"drain\""); at != std::string::npos;
         at = page.find("class=\"drain\"", at + 1)) {
        drains++;
    }
    EXPECT_GT(points, ChargeSeries::kBuckets / 2);
    EXPECT_LE(points, 2 * ChargeSeries::kBuckets);
    EXPECT_EQ(drains, 365u);
}

}  // namespace
