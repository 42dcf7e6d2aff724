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

#include "report/csv_output.h"
#include "report/html_page.h"
#include "report/input_files.h"
#include "report/log_parser.h"
#include "report/log_summary.h"
#include "report/options.h"
#include "report/output_file.h"
#include "report/sessions.h"
#include "report/text_decoder.h"
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
    if (options.files.empty()) {
        options.files.push_back("-");
    }
    InputFiles inputs(options.files, in);
    problem = inputs.Check();
    if (problem.empty() && options.html && options.htmlPath != "-") {
        problem = inputs.Overwrites(options.htmlPath);
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

    // The pipeline: the log's lines, its reports, the sessions, the outputs.
    LogSummary summary;
    std::unique_ptr<CsvWriter> csvWriter;
    Listeners outputs;
    if (csv) {
        csvWriter = std::make_unique<CsvWriter>(heldCsv.Stream());
        outputs.Add(csvWriter.get());
    }
    if (text || options.html) {
        outputs.Add(&summary);
    }
    SessionTracker sessions(&outputs);
    LogParser parser(&sessions, options.range);
    LineSplitter splitter(&parser);
    TextDecoder decoder(&splitter);

    if (inputs.ReadsStandardInput()) {
        SayReadingTerminal(in, err);
    }
    if (!inputs.Read(&decoder, &problem)) {
        return Fail(err, problem);
    }
    parser.Finish();

    // The page file first: when it fails, nothing has gone to standard output.
    auto page = [&](FILE* file) { WriteHtmlPage(file, summary, options.files); };
    if (options.html && options.htmlPath != "-" &&
        !WriteFileWhole(options.htmlPath, page, &problem)) {
        return Fail(err, problem);
    }
    if (csv && !heldCsv.CopyTo(out)) {
        return Fail(err, "standard output: " + Reason());
    }
    if (text) {
        WriteTextSummary(out, summary);
    }
    if (options.html && options.htmlPath == "-") {
        page(out);
    }
    if (fflush(out) != 0 || ferror(out)) {
        return Fail(err, "standard output: " + Reason());
    }
    return 0;
}
