#include "report/options.h"

#include <string.h>

const char* const kUsage =
    "Usage: tolvane-report [OPTION]... [FILE]...\n"
    "  or:  tolvane-report --batteries [--format=text|csv|log]\n"
    "Sums up a Tolvane battery log: the sessions on battery, how fast the\n"
    "battery drained, how long a full charge lasts at that pace, and how well\n"
    "the remaining times shown held up. The FILEs are read in order as one log;\n"
    "with none, or where FILE is -, standard input is read.\n"
    "\n"
    "  --format=text    a summary for the terminal (the default)\n"
    "  --format=csv     the sessions, one line each\n"
    "  --table=TABLE    with --format=csv: sessions (the default), sleeps (each\n"
    "                   sleep on battery), charges (each charge on mains) or\n"
    "                   days (the time on battery, asleep, on mains and not\n"
    "                   logged, per day)\n"
    "  --batteries      the installed batteries and their health instead of a\n"
    "                   log: text, CSV, or with --format=log the lines to append\n"
    "                   to a battery log\n"
    "  --html=FILE      a self-contained HTML page with charts, written to FILE\n"
    "                   (- for standard output); nothing else is written unless\n"
    "                   --format is given too\n"
    "  --since=DATE     only reports from DATE (YYYY-MM-DD) on\n"
    "  --until=DATE     only reports up to the end of DATE\n"
    "  --host=NAME      only the machine NAME of a journal that holds several\n"
    "                   (may be given more than once)\n"
    "  --help           show this help and exit\n"
    "  --version        show the version and exit\n"
    "\n"
    "A log is the monitor's output as saved with tee (LF or CR LF, several runs\n"
    "appended), or its journal: journalctl --user -u tolvane -o short-iso (or\n"
    "short, short-precise, short-full, short-unix, cat); a journal collected from\n"
    "many machines gives each machine its own sessions, and a fleet table first.\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 a bad option.\n";

namespace {

// "--name=value" or "--name value"; *index moves past what was used.
bool TakeValue(const char* name, int argc, char** argv, int* index, std::string* value,
               std::string* problem) {
    const char* argument = argv[*index];
    size_t length = strlen(name);
    if (strncmp(argument, name, length) != 0) {
        return false;
    }
    if (argument[length] == '=') {
        *value = argument + length + 1;
    } else if (argument[length] != '\0') {
        return false;
    } else if (*index + 1 < argc) {
        *value = argv[++*index];
    } else {
        *problem = std::string("option '") + name + "' needs a value";
    }
    return true;
}

std::string ParseDay(const char* name, const std::string& value, int64_t* day) {
    if (!ParseIsoDate(value, day)) {
        return std::string("option '") + name + "': '" + value + "' is not a date (YYYY-MM-DD)";
    }
    return "";
}

}  // namespace

std::string ParseOptions(int argc, char** argv, Options* options) {
    bool onlyFiles = false;
    for (int i = 1; i < argc; i++) {
        const char* argument = argv[i];
        std::string value, problem;
        if (onlyFiles || argument[0] != '-' || strcmp(argument, "-") == 0) {
            options->files.push_back(argument);
        } else if (strcmp(argument, "--") == 0) {
            onlyFiles = true;
        } else if (strcmp(argument, "--help") == 0) {
            options->help = true;
        } else if (strcmp(argument, "--batteries") == 0) {
            options->batteries = true;
        } else if (strcmp(argument, "--version") == 0) {
            options->version = true;
        } else if (TakeValue("--format", argc, argv, &i, &value, &problem)) {
            if (!problem.empty()) {
                return problem;
            }
            if (value != "text" && value != "csv" && value != "log") {
                return "option '--format': '" + value + "' is not text, csv or log";
            }
            options->format = value == "csv"   ? OutputFormat::Csv
                              : value == "log" ? OutputFormat::Log
                                               : OutputFormat::Text;
            options->formatGiven = true;
        } else if (TakeValue("--table", argc, argv, &i, &value, &problem)) {
            if (!problem.empty()) {
                return problem;
            }
            const char* const names[] = {"sessions", "sleeps", "charges", "days"};
            const CsvTable tables[] = {CsvTable::Sessions, CsvTable::Sleeps, CsvTable::Charges,
                                       CsvTable::Days};
            size_t at = 0;
            while (at < 4 && value != names[at]) {
                at++;
            }
            if (at == 4) {
                return "option '--table': '" + value + "' is not sessions, sleeps, charges or days";
            }
            options->table = tables[at];
            options->tableGiven = true;
        } else if (TakeValue("--html", argc, argv, &i, &value, &problem)) {
            if (!problem.empty() || value.empty()) {
                return problem.empty() ? "option '--html' needs a file name" : problem;
            }
            options->html = true;
            options->htmlPath = value;
        } else if (TakeValue("--host", argc, argv, &i, &value, &problem)) {
            if (!problem.empty() || value.empty()) {
                return problem.empty() ? "option '--host' needs a host name" : problem;
            }
            options->hosts.push_back(value);
        } else if (TakeValue("--since", argc, argv, &i, &value, &problem)) {
            problem =
                problem.empty() ? ParseDay("--since", value, &options->range.firstDay) : problem;
            if (!problem.empty()) {
                return problem;
            }
        } else if (TakeValue("--until", argc, argv, &i, &value, &problem)) {
            problem =
                problem.empty() ? ParseDay("--until", value, &options->range.lastDay) : problem;
            if (!problem.empty()) {
                return problem;
            }
        } else {
            return std::string("unknown option '") + argument + "'";
        }
    }
    if (options->format == OutputFormat::Log && !options->batteries) {
        return "option '--format=log' goes with --batteries only";
    }
    if (options->tableGiven && (options->format != OutputFormat::Csv || options->batteries)) {
        return "option '--table' goes with --format=csv only";
    }
    if (options->batteries && (options->html || !options->files.empty() ||
                               options->range.firstDay != DateRange().firstDay ||
                               options->range.lastDay != DateRange().lastDay)) {
        return "--batteries reads no log: no FILE, --html, --since or --until";
    }
    if (options->range.firstDay > options->range.lastDay) {
        return "--since is after --until";
    }
    return "";
}
