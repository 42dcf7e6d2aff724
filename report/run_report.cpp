#include "report/run_report.h"

#include <errno.h>
#include <string.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <memory>
#include <string>
#include <vector>

#include "monitor/local_clock.h"
#include "report/batteries/battery_info.h"
#include "report/figures/machine_log.h"
#include "report/options.h"
#include "report/output/battery_output.h"
#include "report/output/csv_output.h"
#include "report/output/file_target.h"
#include "report/output/formatting.h"
#include "report/output/html_page.h"
#include "report/output/output_file.h"
#include "report/output/text_output.h"
#include "report/read/health_line.h"
#include "report/read/input_files.h"
#include "report/read/log_parser.h"
#include "report/read/log_reader.h"

namespace {

// Lets the person at a terminal know the program is waiting for them.
void SayReadingTerminal(FILE* in, FILE* err) {
#ifdef _WIN32
    // _isatty() is also true for NUL; only a console waits for a person.
    DWORD mode;
    if (GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(in))), &mode)) {
        fputs("tolvane-report: reading the log from standard input (end it with Ctrl+Z, Enter)\n",
              err);
    }
#else
    if (isatty(fileno(in))) {
        fputs("tolvane-report: reading the log from standard input (end it with Ctrl+D)\n", err);
    }
#endif
}

// Why the last call failed; a stream may fail without saying (msvcrt's on
// a stream not open for writing).
std::string Reason() {
    return strerror(errno != 0 ? errno : EIO);
}

int Fail(FILE* err, const std::string& problem) {
    fprintf(err, "tolvane-report: %s\n", problem.c_str());
    return 1;
}

// A file's name as the command line gives it.
std::string AsArgument(const std::string& name) {
    return name == "standard input" ? "-" : name;
}

std::string OutOfOrderMessage(const FilesOutOfOrder& order) {
    return order.later + ": its reports begin at " + FormatMinute(order.begins) +
           ", before the end of " + order.earlier + " (" + FormatMinute(order.earlierEnds) +
           "): give the files oldest first, as in: tolvane-report " + AsArgument(order.later) +
           " " + AsArgument(order.earlier);
}

// What the summary says where no machine has a report to show; whether
// the input held reports at all (those outside the dates or hosts asked for).
std::string NothingToShow(const LogParser& parser, const Options& options, bool* heldReports) {
    *heldReports = true;
    if (!parser.SawLog()) {
        *heldReports = false;
        return "No line of the input looks like a Tolvane log. tolvane-report reads the "
               "monitor's output as saved with tee, and the journal as journalctl prints it "
               "(-o short-iso, short, short-precise, short-full, short-unix or cat).";
    }
    if (parser.FirstDaySeen() <= parser.LastDaySeen() &&
        (options.range.firstDay != INT64_MIN || options.range.lastDay != INT64_MAX)) {
        return "No reports from " +
               (options.range.firstDay == INT64_MIN ? std::string("the start")
                                                    : FormatIsoDate(options.range.firstDay)) +
               " to " +
               (options.range.lastDay == INT64_MAX ? std::string("the end")
                                                   : FormatIsoDate(options.range.lastDay)) +
               "; the log's reports run from " + FormatIsoDate(parser.FirstDaySeen()) + " to " +
               FormatIsoDate(parser.LastDaySeen()) + ".";
    }
    if (!options.hosts.empty()) {
        return "No reports from the hosts asked for with --host.";
    }
    *heldReports = false;
    return "No Tolvane reports in the log.";
}

// The installed batteries, read now.
int WriteBatteries(const Options& options, FILE* out, FILE* err) {
    std::vector<BatteryInfo> batteries = ReadInstalledBatteries();
    struct tm now;
    ReadLocalTime(&now);
    std::string text = options.format == OutputFormat::Csv   ? BatteryCsv(batteries)
                       : options.format == OutputFormat::Log ? HealthLogLines(batteries, now)
                                                             : BatteryText(batteries);
    if (fputs(text.c_str(), out) == EOF || fflush(out) != 0 || ferror(out)) {
        return Fail(err, "standard output: " + Reason());
    }
    return 0;
}

}  // namespace

int RunReport(int argc, char** argv, FILE* in, FILE* out, FILE* err) {
    Options options;
    std::string problem = ParseOptions(argc, argv, &options);
    if (!problem.empty()) {
        fprintf(err, "tolvane-report: %s\nTry 'tolvane-report --help' for more information.\n",
                problem.c_str());
        return 2;
    }
    if (options.help || options.version) {
        fputs(options.help ? kUsage : "tolvane-report " TOLVANE_VERSION "\n", out);
        if (fflush(out) != 0 || ferror(out)) {
            return Fail(err, "standard output: " + Reason());
        }
        return 0;
    }
    if (options.batteries) {
        return WriteBatteries(options, out, err);
    }
    if (options.files.empty()) {
        options.files.push_back("-");
    }
    InputFiles inputs(options.files, in);
    problem = inputs.Check();
    // The page's file is looked at before anything is read: a swapped
    // --html and log would otherwise put a page in the log's place.
    FileTarget pageFile;
    if (problem.empty() && options.html && options.htmlPath != "-") {
        problem = inputs.Overwrites(options.htmlPath);
        if (problem.empty()) {
            FindFileTarget(options.htmlPath, kPageStart, &pageFile, &problem);
        }
    }
    if (!problem.empty()) {
        return Fail(err, problem);
    }

    bool text = options.format == OutputFormat::Text && (!options.html || options.formatGiven);
    bool csv = options.format == OutputFormat::Csv;
    // The CSV is held until every input has been read: a read error leaves
    // nothing on standard output, not half a table.
    HeldOutput heldCsv;
    if (csv && !heldCsv.Open()) {
        return Fail(err, "no room to hold the CSV: " + Reason());
    }

    // The pipeline: the log's bytes, its lines, each machine's reports,
    // sessions and charges, the CSV as each one ends.
    std::unique_ptr<CsvWriter> csvWriter;
    if (csv) {
        csvWriter = std::make_unique<CsvWriter>(heldCsv.Stream(), options.table);
    }
    MachineLogs logs(csvWriter.get(), options.html);
    LogParser parser(options.range, options.hosts, &logs);

    if (inputs.ReadsStandardInput()) {
        SayReadingTerminal(in, err);
    }
    if (!ReadLog(&inputs, &parser, &problem)) {
        return Fail(err, problem);
    }
    if (const FilesOutOfOrder* order = parser.OutOfOrder()) {
        return Fail(err, OutOfOrderMessage(*order));
    }
    parser.Finish();

    std::vector<const MachineLog*> machines = logs.Machines();
    if (csvWriter) {
        csvWriter->WriteDays(machines);
    }
    bool heldReports = true;
    std::string empty = machines.empty() ? NothingToShow(parser, options, &heldReports) : "";
    if (options.html && !heldReports) {
        return Fail(err, empty + " No page was written.");
    }
    std::vector<std::string> sources;
    for (const std::string& file : options.files) {
        sources.push_back(ShownName(file, false));
    }

    // The page file first: when it fails, nothing has gone to standard output.
    auto page = [&](FILE* file) { WriteHtmlPage(file, machines, sources, empty); };
    if (options.html && options.htmlPath != "-" &&
        !WriteFileWhole(options.htmlPath, kPageStart, page, &problem)) {
        return Fail(err, problem);
    }
    if (csv && !heldCsv.CopyTo(out)) {
        return Fail(err, "standard output: " + Reason());
    }
    if (text) {
        if (machines.empty()) {
            fprintf(out, "%s\n", empty.c_str());
        } else if (machines.size() == 1) {
            WriteTextSummary(out, *machines[0]);
        } else {
            WriteFleetText(out, machines);
        }
    }
    if (options.html && options.htmlPath == "-") {
        page(out);
    }
    if (fflush(out) != 0 || ferror(out)) {
        return Fail(err, "standard output: " + Reason());
    }
    return 0;
}
