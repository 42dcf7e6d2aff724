// Turns the lines of a log into each machine's reports: a status line with
// the remaining and full battery life lines that follow it, each with its
// time, handed on whole; and the ends of runs. A journal read from a
// collector holds many machines, their lines interleaved: each host is a
// machine of its own, with its own sessions; a log from tee is one.
#ifndef TOLVANE_REPORT_LOG_PARSER_H
#define TOLVANE_REPORT_LOG_PARSER_H

#include <stdint.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "report/log_line.h"
#include "report/log_types.h"
#include "report/machine_log.h"
#include "report/zone_clock.h"

class CsvWriter;

// The days a report may fall on (day numbers, see DaysFromCivil), both
// included; by the date the log shows.
struct DateRange {
    int64_t firstDay = INT64_MIN;
    int64_t lastDay = INT64_MAX;
};

// Where a LineSplitter hands its lines.
class LineSink {
public:
    virtual ~LineSink() = default;
    virtual void Line(std::string_view line) = 0;
};

class LogParser : public LineSink {
public:
    // `hosts`: only these machines (all where empty); `csv` may be null.
    LogParser(DateRange range, std::vector<std::string> hosts, CsvWriter* csv);
    ~LogParser();
    // A new input file begins, `name` as messages should call it.
    void StartFile(std::string name);
    // One line without its line feed; a CR before it is dropped.
    void Line(std::string_view line) override {
        Entry entry;
        if (Classify(line, &entry)) {
            Apply(entry);
        }
    }
    // A line taken apart as far as it can be without the machines (so on
    // another thread: see ReadLog); its views point into the line.
    struct Entry {
        JournalPrefix prefix;
        std::string_view message;
        ParsedLine parsed;
    };
    // False for a line that says nothing to the report.
    static bool Classify(std::string_view line, Entry* entry);
    void Apply(const Entry& entry);
    // The end of the input: hands on the last reports and ends the runs.
    void Finish();

    // The machines, in the order their first report came.
    std::vector<const MachineLog*> Machines() const;
    // Whether any line looked like the monitor's or the journal's.
    bool SawLog() const { return sawLog_; }
    // Where --since or --until were given: the first and last day of the
    // reports read, in the dates asked for or not; empty (first > last)
    // when there were none.
    int64_t FirstDaySeen() const { return firstDaySeen_; }
    int64_t LastDaySeen() const { return lastDaySeen_; }
    // Why the input can't be read as one log (files given out of order), or "".
    const std::string& Problem() const { return problem_; }

private:
    struct Machine;
    Machine* MachineFor(std::string_view host);
    void Health(const JournalPrefix& prefix, std::string_view message);
    // A line's time; TimeOf, a report's, also checks the files' order.
    LogTime ReadTime(const JournalPrefix& prefix, const CivilTime& stamp, const Machine* machine);
    LogTime TimeOf(const JournalPrefix& prefix, const CivilTime& stamp, Machine* machine);

    DateRange range_;
    std::vector<std::string> hosts_;
    CsvWriter* csv_;
    ZoneClock zone_;
    std::vector<std::unique_ptr<Machine>> machines_;
    std::unordered_map<std::string_view, Machine*> byHost_;
    Machine* lastMachine_ = nullptr;
    std::vector<std::string> files_;
    bool sawLog_ = false;
    int64_t firstDaySeen_ = INT64_MAX;
    int64_t lastDaySeen_ = INT64_MIN;
    std::string problem_;
};

// Splits a stream of bytes into lines for a LogParser (or another sink). A line longer than
// kMaxLineLength can't be part of a report: it is dropped without being
// held, so memory stays bounded whatever the input.
class LineSplitter {
public:
    static const size_t kMaxLineLength = 4096;
    explicit LineSplitter(LineSink* parser) : parser_(parser) {}
    void Feed(const char* data, size_t size);
    // The end of a file: its last line, when no line feed ends it, is a
    // line of its own (and the next file starts a new one).
    void EndOfFile();

private:
    LineSink* parser_;
    std::string partial_;
    bool overlong_ = false;
};

#endif
