// tolvane-report: logs in every form they come in, against the sessions
// (as CSV lines) they must give; the command line; the outputs' bounds.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "report/csv_output.h"
#include "report/html_page.h"
#include "report/log_parser.h"
#include "report/log_summary.h"
#include "report/run_report.h"
#include "report/sessions.h"
#include "report/text_decoder.h"
#include "report/text_output.h"

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
    "2026-12-01T09:00:00,2026-12-01T11:30:00,9000,100,80,8.00,45000,-29.1,ac";

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

class CsvLines : public LogListener {
public:
    void OnReport(const Report&) override {}
    void OnRunEnd() override {}
    void OnSession(const Session& session) override { lines += CsvLine(session) + "\n"; }
    std::string lines;
};

// The sessions of `log` fed whole, or in pieces of `piece` bytes.
std::string Sessions(const std::string& log, DateRange range = DateRange(),
                     size_t piece = std::string::npos) {
    CsvLines out;
    SessionTracker sessions(&out);
    LogParser parser(&sessions, range);
    LineSplitter splitter(&parser);
    TextDecoder decoder(&splitter);
    for (size_t at = 0; at < log.size(); at += piece) {
        decoder.Feed(log.data() + at, std::min(piece, log.size() - at));
    }
    decoder.EndOfFile();
    parser.Finish();
    return out.lines;
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
         "2026-12-02T08:00:00,2026-12-02T09:00:00,3600,90,80,10.00,36000,,cut\n"
         "2026-12-02T09:30:00,2026-12-02T10:00:00,1800,79,79,0.00,,,ac\n",
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
         "2026-12-03T10:30:02+01:00 tolvane[1234]: 12/03/26 10:30:00  Power source: AC       "
         "Status: 85%\n"
         "2026-12-03T11:00:00Z laptop tolvane[1300]: 12/03/26 12:00:00  Power source: Battery  "
         "Status: 95%\n"
         "2026-12-03T11:30:00Z laptop tolvane[1300]: 12/03/26 12:30:00  Power source: Battery  "
         "Status: 93%\n"
         "2026-12-03T12:40:00+0100 laptop tolvane[1400]: 12/03/26 12:40:00  Power source: AC       "
         "Status: 93%\n",
         "2026-12-03T09:00:08+01:00,2026-12-03T10:30:02+01:00,5394,90,85,3.34,107880,,ac\n"
         "2026-12-03T11:00:00+00:00,2026-12-03T11:30:00+00:00,1800,95,93,4.00,90000,,cut\n",
         {}},
        {"journal short-iso, every line",
         ShortIso(kOneRun, "77", "+0000"),
         Replace(kOneRunSession, ":00,", ":00+00:00,") + "\n",
         {}},
        // -o short: a time without a year, so the stamps' own.
        {"journal short",
         "Dec 01 09:00:02 laptop tolvane[9]: 12/01/26 09:00:00  Power source: Battery  Status: "
         "90%\n"
         "Dec 01 09:10:00 laptop systemd[1]: 12/01/26 09:10:00  Power source: AC       Status: "
         "90%\n"
         "Dec  1 10:00:02 laptop tolvane[9]: 12/01/26 10:00:00  Power source: AC       Status: "
         "85%\n",
         "2026-12-01T09:00:00,2026-12-01T10:00:00,3600,90,90,0.00,,,ac\n",
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
         "2026-12-01T09:00:00,2026-12-01T11:00:00,7200,100,80,10.00,36000,-3.7,cut\n",
         {}},
        {"cut-off charge",
         kOneRun.substr(0, kOneRun.find("12/01/26 11:30")) +
             "12/01/26 11:40:00  Power source: Battery  Status: High, 7",
         "2026-12-01T09:00:00,2026-12-01T11:00:00,7200,100,80,10.00,36000,-3.7,cut\n",
         {}},
        {"stray lines",
         "^C\nbash: tolvane: command not found\n" + std::string(5000, 'x') + "\n" +
             Replace(kOneRun, kWarning,
                     kWarning + "12/01/26 09:30:00  Power source: Battery  Status: High, 95%x\n" +
                         "02/30/26 09:40:00  Power source: Battery  Status: High, 95%\n" +
                         "Power source: Battery" + std::string(1, '\0') + "\n"),
         kOneRunSession + "\n",
         {}},
        // Daylight saving time ends: the stamps go back an hour.
        {"clock going backwards",
         Status("10/25/26 02:50:00", kBattery, "60%") +
             Status("10/25/26 02:59:00", kBattery, "58%") +
             Status("10/25/26 02:01:00", kBattery, "57%") + Status("10/25/26 02:31:00", kAc, "57%"),
         "2026-10-25T02:50:00,2026-10-25T02:31:00,2340,60,57,4.62,78000,,ac\n",
         {}},
        {"clock going backwards, journal",
         "2026-10-25T02:50:00+02:00 pc tolvane[5]: 10/25/26 02:50:00  Power source: Battery  "
         "Status: 60%\n"
         "2026-10-25T02:10:00+01:00 pc tolvane[5]: 10/25/26 02:10:00  Power source: AC       "
         "Status: 60%\n",
         "2026-10-25T02:50:00+02:00,2026-10-25T02:10:00+01:00,1200,60,60,0.00,,,ac\n",
         {}},
        {"year boundary",
         Status("12/31/26 23:30:00", kBattery, "50%") +
             Status("01/01/27 00:30:00", kBattery, "40%") + Status("01/01/27 00:45:00", kAc, "38%"),
         "2026-12-31T23:30:00,2027-01-01T00:45:00,4500,50,40,8.00,45000,,ac\n",
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
         "2026-12-05T10:00:00,2026-12-05T11:00:00,3600,80,79,1.00,,,cut\n",
         {}},
        {"charge rising on battery",
         Status("12/05/26 10:00:00", kBattery, "50%") + Status("12/05/26 11:00:00", kBattery, "90%"),
         "2026-12-05T10:00:00,2026-12-05T11:00:00,3600,50,90,,,,cut\n",
         {}},
        // Errors -12.5, +5.0 and +10.0 %; the report at 74 % is too close to the end.
        {"median estimate error",
         Status("12/04/26 08:00:00", kBattery, "80%", 25200) +
             Status("12/04/26 08:12:00", kBattery, "78%", 29484) +
             Status("12/04/26 08:24:00", kBattery, "76%", 30096) +
             Status("12/04/26 08:36:00", kBattery, "74%", 1) +
             Status("12/04/26 08:50:00", kBattery, "70%", 600) +
             Status("12/04/26 09:00:00", kAc, "70%"),
         "2026-12-04T08:00:00,2026-12-04T09:00:00,3600,80,70,10.00,36000,5.0,ac\n",
         {}},
        {"until",
         overMidnight,
         "2026-12-06T22:00:00,2026-12-06T23:00:00,3600,60,50,10.00,36000,,cut\n",
         {INT64_MIN, dec6}},
        {"since",
         overMidnight,
         "2026-12-07T00:30:00,2026-12-07T01:00:00,1800,40,40,0.00,,,ac\n",
         {dec7, INT64_MAX}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sessions(c.log, c.range), c.sessions) << c.name;
        EXPECT_EQ(Sessions(c.log, c.range, 5), c.sessions) << c.name << ", fed in pieces";
        EXPECT_EQ(Sessions(c.log, c.range, 1), c.sessions) << c.name << ", byte by byte";
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

std::string Contents(FILE* file) {
    std::string text;
    rewind(file);
    for (int c; (c = fgetc(file)) != EOF;) {
        text += static_cast<char>(c);
    }
    return text;
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
    remove(page.c_str());
    WriteFile(log, kOneRun);
    const std::string csv = std::string(kCsvHeader) + "\n" + kOneRunSession + "\n";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out;  // exactly; "Usage" for the help text
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
        {{"--help"}, 0, "Usage", ""},
        {{"--bogus", log}, 2, "", "unknown option '--bogus'\nTry 'tolvane-report --help'"},
        {{"--format=xml"}, 2, "", "'xml' is not text or csv"},
        {{"--since", "2026-02-30"}, 2, "", "'2026-02-30' is not a date"},
        {{"--since=2026-12-02", "--until=2026-12-01"}, 2, "", "--since is after --until"},
        {{"--html"}, 2, "", "'--html' needs a value"},
        // A file that can't be read: nothing on standard output, even for the ones that can.
        {{"--format=csv", log, "/nonexistent/battery.log"},
         1,
         "",
         "/nonexistent/battery.log: No such file"},
        {{"."}, 1, "", "tolvane-report: .: "},  // a directory: EISDIR here, EACCES on Windows
        {{"--html=/nonexistent/page.html", log}, 1, "", "/nonexistent/page.html: No such file"},
        // A new page, then one replaced (on Windows by MoveFileEx).
        {{"--html", page, log}, 0, "", ""},
        {{"--html", page, "--since=2026-12-02", log}, 0, "", ""},
        // The page must never replace the log it is made from.
        {{"--html", log, "--format=csv", log}, 1, "", log + ": is the input file " + log},
        {{"--html=" + input}, 1, "", input + ": is standard input; the page would replace it"},
        // Standard input fails once the first file is read: still no half CSV.
        {{"--format=csv", log, "-"}, 1, "", "tolvane-report: standard input: ", kOneRun, "ab"},
        {{"--format=csv"}, 1, "", "tolvane-report: standard input: ", kOneRun, "ab"},
        // Every status 1 says why, also when only standard output failed.
        {{"--version"}, 1, "", "tolvane-report: standard output: ", kOneRun, "rb", "rb"},
        {{"--help"}, 1, "", "tolvane-report: standard output: ", kOneRun, "rb", "rb"},
        {{"--format=csv", log}, 1, "", "tolvane-report: standard output: ", kOneRun, "rb", "rb"},
        {{log}, 1, "", "tolvane-report: standard output: ", kOneRun, "rb", "rb"},
        // As Windows PowerShell 5.1 saves it, and with a UTF-8 mark.
        {{"--format=csv"}, 0, csv, "", Utf16(Replace(kOneRun, "\n", "\r\n"))},
        {{"--format=csv", "-", log}, 0, csv + kOneRunSession + "\n", "", "\xEF\xBB\xBF" + kOneRun},
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
    file = fopen(page.c_str(), "rb");
    ASSERT_TRUE(file) << page;
    std::string html = Contents(file);  // the second page: no session after --since
    EXPECT_NE(html.find("</html>"), std::string::npos);
    EXPECT_EQ(html.find("2026-12-01"), std::string::npos) << "the first page is still there";
    fclose(file);
    remove(page.c_str());
    remove(log.c_str());
    remove(input.c_str());
}

// The terminal summary of one session: the span, the totals, the session's
// row and the trend, with durations in hours and minutes.
TEST(LogReport, TextSummary) {
    LogSummary summary;
    SessionTracker sessions(&summary);
    LogParser parser(&sessions, DateRange());
    LineSplitter splitter(&parser);
    splitter.Feed(kOneRun.data(), kOneRun.size());
    parser.Finish();
    FILE* out = tmpfile();
    ASSERT_TRUE(out);
    WriteTextSummary(out, summary);
    std::string text = Contents(out);
    fclose(out);
    for (const char* line :
         {"From 2026-12-01 08:00 to 2026-12-01 11:30 (3h 30m): 5 reports, 1 run\n",
          "On battery 2h 30m in 1 session, on mains 1h 00m\n",
          "Start            End          Length From   To   %/h     Full Estimates  Ended\n"
          "2026-12-01 09:00 11:30        2h 30m 100%  80%   8.0  12h 30m    -29.1%  ac\n",
          "By day:\nDay        Sessions   %/h     Full\n2026-12-01        1   8.0  12h 30m\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << "no\n" << line << "in\n" << text;
    }
}

// A year of a report every ten minutes, a session on battery every day:
// the page stays well under 1 MB, the charge line thinned to at most two
// points per bucket, every day's drain drawn.
TEST(LogReport, AYearMakesAPageOfBoundedSize) {
    LogSummary summary;
    SessionTracker sessions(&summary);
    LogParser parser(&sessions, DateRange());
    for (int64_t minute = 0; minute < 365 * 24 * 60; minute += 10) {
        CivilTime time = CivilFromSeconds(DaysFromCivil(2026, 1, 1) * 86400 + minute * 60);
        int ofDay = static_cast<int>(minute % 1440);
        bool battery = ofDay >= 9 * 60 && ofDay < 13 * 60;
        int charge = battery ? 100 - (ofDay - 9 * 60) / 4 : 100;
        char line[96];
        snprintf(line, sizeof line, "%02d/%02d/%02d %02d:%02d:00  Power source: %sStatus: %d%%",
                 time.month, time.day, time.year % 100, time.hour, time.minute,
                 battery ? kBattery : kAc, charge);
        parser.Line(line);
        parser.Line("Battery life remaining     : " + std::to_string(charge * 150) + " seconds.");
    }
    parser.Finish();
    ASSERT_EQ(summary.SessionCount(), 365);
    FILE* out = tmpfile();
    ASSERT_TRUE(out);
    WriteHtmlPage(out, summary, {"<year>.log"});
    std::string page = Contents(out);
    fclose(out);
    EXPECT_LT(page.size(), 1000000u);
    EXPECT_EQ(page.find("<year>"), std::string::npos);
    EXPECT_NE(page.find("&lt;year&gt;.log"), std::string::npos);
    size_t points = 0, drains = 0;
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
