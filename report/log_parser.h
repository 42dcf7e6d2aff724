// Turns the lines of a log into reports: a status line with the remaining
// and full battery life lines that follow it, each with its time, handed
// on whole; and the ends of runs.
#ifndef TOLVANE_REPORT_LOG_PARSER_H
#define TOLVANE_REPORT_LOG_PARSER_H

#include <stdint.h>

#include <string>
#include <string_view>

#include "report/log_line.h"
#include "report/log_types.h"

// The days a report may fall on (day numbers, see DaysFromCivil), both
// included; by the date the log shows.
struct DateRange {
    int64_t firstDay = INT64_MIN;
    int64_t lastDay = INT64_MAX;
};

class LogParser {
public:
    LogParser(LogListener* listener, DateRange range);
    // One line without its line feed; a CR before it is dropped.
    void Line(std::string_view line);
    // The end of the input: hands on the last report and ends the run.
    void Finish();

private:
    void StartReport(const JournalPrefix& prefix, const ParsedLine& status);
    void Flush();
    void EndRun();

    LogListener* listener_;
    DateRange range_;
    Report pending_;
    bool hasPending_ = false;
    std::string pid_;
    bool hasClock_ = false;
    int64_t lastClock_ = 0;
    int64_t elapsed_ = 0;
    bool runOpen_ = false;  // a report of the present run has been handed on
};

// Splits a stream of bytes into lines for a LogParser. A line longer than
// kMaxLineLength can't be part of a report: it is dropped without being
// held, so memory stays bounded whatever the input.
class LineSplitter {
public:
    static const size_t kMaxLineLength = 4096;
    explicit LineSplitter(LogParser* parser) : parser_(parser) {}
    void Feed(const char* data, size_t size);
    // The end of a file: its last line, when no line feed ends it, is a
    // line of its own (and the next file starts a new one).
    void EndOfFile();

private:
    LogParser* parser_;
    std::string partial_;
    bool overlong_ = false;
};

#endif
