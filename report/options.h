// The command line of tolvane-report.
#ifndef TOLVANE_REPORT_OPTIONS_H
#define TOLVANE_REPORT_OPTIONS_H

#include <string>
#include <vector>

#include "report/output/csv_output.h"
#include "report/read/log_parser.h"

enum class OutputFormat { Text, Csv, Log };  // Log: --batteries only

struct Options {
    OutputFormat format = OutputFormat::Text;
    bool formatGiven = false;
    CsvTable table = CsvTable::Sessions;  // what --format=csv writes
    bool tableGiven = false;
    bool batteries = false;  // the installed batteries, not a log
    bool html = false;
    std::string htmlPath;  // "-" for standard output
    DateRange range;
    std::vector<std::string> hosts;  // --host: only these machines
    std::vector<std::string> files;  // none: standard input
    bool help = false;
    bool version = false;
};

// Fills *options; returns what is wrong with the command line, or "".
std::string ParseOptions(int argc, char** argv, Options* options);

extern const char* const kUsage;

#endif
