#include "report/run_report.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "monitor/local_clock.h"
#include "report/battery_info.h"
#include "report/battery_output.h"
#include "report/csv_output.h"
#include "report/html_page.h"
#include "report/log_parser.h"
#include "report/options.h"
#include "report/machine_log.h"
#include "report/text_output.h"

namespace {

struct Input {
    std::string name;
    FILE* file;
};

// Opens every file before anything is written, so that one that can't be
// read costs no half report.
bool OpenInputs(const std::vector<std::string>& names, FILE* in, std::vector<Input>* inputs,
                FILE* err) {
    for (const std::string& name : names) {
        FILE* file = name == "-" ? in : fopen(name.c_str(), "rb");
        struct stat status;
        int problem = file ? 0 : errno;
        if (file && fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) {
            problem = EISDIR;
        }
        if (problem != 0) {
            fprintf(err, "tolvane-report: %s: %s\n", name.c_str(), strerror(problem));
            if (file && file != in) {
                fclose(file);
            }
            for (Input& input : *inputs) {
                if (input.file != in) {
                    fclose(input.file);
                }
            }
            return false;
        }
        inputs->push_back({name, file});
    }
    return true;
}

bool ReadInput(const Input& input, LogParser* parser, LineSplitter* splitter, FILE* err) {
    parser->StartFile(input.name == "-" ? "standard input" : input.name);
    static char buffer[1 << 16];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, input.file)) > 0) {
        splitter->Feed(buffer, count);
    }
    splitter->EndOfFile();
    if (ferror(input.file)) {
        fprintf(err, "tolvane-report: %s: %s\n", input.name.c_str(), strerror(errno));
        return false;
    }
    return true;
}

// What the summary says where no machine has a report to show.
std::string NothingToShow(const LogParser& parser, const Options& options) {
    if (!parser.SawLog()) {
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
    return "No Tolvane reports in the log.";
}

bool WriteHtml(const std::string& path, const std::vector<const MachineLog*>& machines,
               const std::vector<std::string>& sources, const std::string& empty, FILE* out,
               FILE* err) {
    FILE* file = path == "-" ? out : fopen(path.c_str(), "wb");
    if (!file) {
        fprintf(err, "tolvane-report: %s: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    WriteHtmlPage(file, machines, sources, empty);
    bool written =
        file == out ? fflush(file) == 0 && !ferror(file) : !ferror(file) && fclose(file) == 0;
    if (!written) {
        fprintf(err, "tolvane-report: %s: %s\n", path.c_str(), strerror(errno));
        if (file != out) {
            remove(path.c_str());
        }
    }
    return written;
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
        return fflush(out) == 0 ? 0 : 1;
    }
    if (options.batteries) {
        std::vector<BatteryInfo> batteries = ReadInstalledBatteries();
        struct tm now;
        ReadLocalTime(&now);
        std::string text = options.format == OutputFormat::Csv   ? BatteryCsv(batteries)
                           : options.format == OutputFormat::Log ? BatteryLogLines(batteries, now)
                                                                 : BatteryText(batteries);
        if (fputs(text.c_str(), out) == EOF || fflush(out) != 0 || ferror(out)) {
            fprintf(err, "tolvane-report: standard output: %s\n", strerror(errno));
            return 1;
        }
        return 0;
    }
    if (options.files.empty()) {
        options.files.push_back("-");
    }
    std::vector<Input> inputs;
    if (!OpenInputs(options.files, in, &inputs, err)) {
        return 1;
    }

    bool text = options.format == OutputFormat::Text && (!options.html || options.formatGiven);
    bool csv = options.format == OutputFormat::Csv;
    std::unique_ptr<CsvWriter> csvWriter;
    if (csv) {
        csvWriter = std::make_unique<CsvWriter>(out);
    }
    LogParser parser(options.range, options.hosts, csvWriter.get());
    LineSplitter splitter(&parser);
    bool read = true;
    for (const Input& input : inputs) {
        read = read && ReadInput(input, &parser, &splitter, err);
        if (input.file != in) {
            fclose(input.file);
        }
    }
    if (!read) {
        return 1;
    }
    if (!parser.Problem().empty()) {
        fprintf(err, "tolvane-report: %s\n", parser.Problem().c_str());
        return 1;
    }
    parser.Finish();

    std::vector<const MachineLog*> machines;
    for (const MachineLog* machine : parser.Machines()) {
        if (machine->Summary().Reports() > 0 || !machine->Health().Empty()) {
            machines.push_back(machine);
        }
    }
    std::string empty = machines.empty() ? NothingToShow(parser, options) : "";
    if (text) {
        if (machines.empty()) {
            fprintf(out, "%s\n", empty.c_str());
        } else if (machines.size() == 1) {
            WriteTextSummary(out, *machines[0]);
        } else {
            WriteFleetText(out, machines);
        }
    }
    std::vector<std::string> sources;
    for (const std::string& file : options.files) {
        sources.push_back(file == "-" ? "standard input" : file);
    }
    if (options.html && !WriteHtml(options.htmlPath, machines, sources, empty, out, err)) {
        return 1;
    }
    if (fflush(out) != 0 || ferror(out)) {
        fprintf(err, "tolvane-report: standard output: %s\n", strerror(errno));
        return 1;
    }
    return 0;
}
