// Turns the lines of a log into each machine's reports: a status line with
// the remaining and full battery life lines that follow it, each with its
// time, handed on whole; and the ends of runs. A journal read from a
// collector holds many machines, their lines interleaved: each host is a
// machine of its own, with its own sessions; a log from tee is one.
#ifndef TOLVANE_REPORT_READ_LOG_PARSER_H
#define TOLVANE_REPORT_READ_LOG_PARSER_H

#include <stdint.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "report/read/followed_machine.h"
#include "report/read/line_splitter.h"
#include "report/read/log_line.h"
#include "report/read/log_types.h"
#include "report/read/zone_clock.h"

// Two files given in the wrong order: the reports of `later` begin at
// `begins`, before `earlier` (read before it) ends at `earlierEnds`; each
// file as messages call it, each time as its log shows it.
struct FilesOutOfOrder {
    std::string later, earlier;
    CivilTime begins, earlierEnds;
};


class LogParser : public LineSink {
public:
    // Each machine's log goes to the sink `machines` makes for it;
    // `hosts`: only these machines (all where empty).
    LogParser(DateRange range, std::vector<std::string> hosts, MachineSinks* machines);
    ~LogParser();
    // A new input file begins, `name` as messages should call it.
    void StartFile(std::string name);
    // One line without its line feed; a CR before it is dropped.
    void Line(std::string_view line) override {
        LogEntry entry;
        if (TakeApart(line, &entry)) {
            Apply(entry);
        }
    }
    // A line taken apart by TakeApart (on another thread: see ReadLog).
    void Apply(const LogEntry& entry);
    // The end of the input: hands on the last reports, ends the runs and
    // tells each machine its log has ended.
    void Finish();

    // Whether any line looked like the monitor's or the journal's.
    bool SawLog() const { return sawLog_; }
    // Where --since or --until were given: the first and last day of the
    // reports read, in the dates asked for or not; empty (first > last)
    // when there were none.
    int64_t FirstDaySeen() const { return daysSeen_.first; }
    int64_t LastDaySeen() const { return daysSeen_.last; }
    // Why the input can't be read as one log: the first two files found
    // out of order; null where none were.
    const FilesOutOfOrder* OutOfOrder() const { return outOfOrder_ ? &*outOfOrder_ : nullptr; }

private:
    FollowedMachine* MachineFor(std::string_view host);
    void Health(const JournalPrefix& prefix, std::string_view message);
    // A line's time; TimeOf, a report's, also checks the files' order.
    LogTime ReadTime(const JournalPrefix& prefix, const CivilTime& stamp, const FollowedMachine* machine);
    LogTime TimeOf(const JournalPrefix& prefix, const CivilTime& stamp, FollowedMachine* machine);

    DateRange range_;
    std::vector<std::string> hosts_;
    MachineSinks* sinks_;
    ZoneClock zone_;
    std::vector<std::unique_ptr<FollowedMachine>> machines_;
    std::unordered_map<std::string_view, FollowedMachine*> byHost_;
    FollowedMachine* lastMachine_ = nullptr;
    std::vector<std::string> files_;
    bool sawLog_ = false;
    DaysSeen daysSeen_;
    std::optional<FilesOutOfOrder> outOfOrder_;
};

#endif
