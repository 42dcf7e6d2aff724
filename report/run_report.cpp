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
#include "report/log_summary.h"
#include "report/options.h"
#include "report/sessions.h"
#include "report/text_output.h"

namespace {

// Hands everything on to each of several listeners.
class Listeners : public LogListener {
public:
    void Add(LogListener* listener) { listeners_.push_back(listener); }
    void OnReport(const Report& report) override {
        for (LogListener* listener : listeners_) {
            listener->OnReport(report);
        }
    }
    void OnRunEnd() override {
        for (LogListener* listener : listeners_) {
            listener->OnRunEnd();
        }
    }
    void OnSession(const Session& session) override {
        for (LogListener* listener : listeners_) {
            listener->OnSession(session);
        }
    }

private:
    std::vector<LogListener*> listeners_;
};

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

bool ReadInput(const Input& input, LineSplitter* splitter, FILE* err) {
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

bool WriteHtml(const std::string& path, const LogSummary& summary,
               const std::vector<std::string>& sources, FILE* out, FILE* err) {
    FILE* file = path == "-" ? out : fopen(path.c_str(), "wb");
    if (!file) {
        fprintf(err, "tolvane-report: %s: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    WriteHtmlPage(file, summary, sources);
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
    LogSummary summary;
    std::unique_ptr<CsvWriter> csvWriter;
    Listeners outputs;
    if (csv) {
        csvWriter = std::make_unique<CsvWriter>(out);
        outputs.Add(csvWriter.get());
    }
    if (text || options.html) {
        outputs.Add(&summary);
    }
    SessionTracker sessions(&outputs);
    LogParser parser(&sessions, options.range);
    LineSplitter splitter(&parser);
    bool read = true;
    for (const Input& input : inputs) {
        read = read && ReadInput(input, &splitter, err);
        if (input.file != in) {
            fclose(input.file);
        }
    }
    if (!read) {
        return 1;
    }
    parser.Finish();

    if (text) {
        WriteTextSummary(out, summary);
    }
    if (options.html && !WriteHtml(options.htmlPath, summary, options.files, out, err)) {
        return 1;
    }
    if (fflush(out) != 0 || ferror(out)) {
        fprintf(err, "tolvane-report: standard output: %s\n", strerror(errno));
        return 1;
    }
    return 0;
}
