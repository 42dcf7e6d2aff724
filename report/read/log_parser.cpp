#include "report/read/log_parser.h"

#include <algorithm>

#include "report/read/health_line.h"
#include "report/read/monitor_processes.h"
#include "report/read/repeated_hour.h"

namespace {

// No step between two reports counts for more than this, and no machine's
// log for more than kMaxElapsed, however its years are made up.
const int64_t kMaxStep = int64_t{1} << 32;
const int64_t kMaxElapsed = int64_t{1} << 60;
// A file whose first report comes this much before the end of the one
// read before it is out of order (a clock set back does less).
const int64_t kOutOfOrder = 600;

}  // namespace

// A machine as the parser follows it: its processes, the hour a change of
// daylight saving time repeats, its clock, and the --since and --until in
// front of its log.
struct LogParser::Machine : ReportSink {
    Machine(LogParser* parser, std::string host, MachineSink* log)
        : parser(parser), host(std::move(host)), log(log), settled(this), repeated(&settled),
          processes(this) {}

    // The processes' reports: those of the repeated hour wait in `repeated`,
    // with all that follows them, until their times are settled.
    void OnReport(const Report& report) override {
        repeated.Passes(report) ? Take(report) : repeated.OnReport(report);
    }
    void OnRunEnd() override { repeated.Holding() ? repeated.OnRunEnd() : EndRun(); }

    void Take(const Report& report) {
        Report timed = report;
        if (hasClock && report.time.instant > lastInstant) {
            elapsed = std::min(kMaxElapsed, elapsed + std::min(kMaxStep, report.time.instant - lastInstant));
        }
        hasClock = true;
        lastInstant = report.time.instant;
        timed.time.elapsed = elapsed;
        // The days matter only where dates are asked for.
        const DateRange& range = parser->range_;
        if (range.firstDay != INT64_MIN || range.lastDay != INT64_MAX) {
            int64_t day = DayOf(report.time.shown);
            parser->firstDaySeen_ = std::min(parser->firstDaySeen_, day);
            parser->lastDaySeen_ = std::max(parser->lastDaySeen_, day);
            if (day < range.firstDay || day > range.lastDay) {
                EndRun();  // outside the dates asked for: what came before ends there
                return;
            }
        }
        runOpen = true;
        log->OnReport(timed);
    }
    void EndRun() {
        if (runOpen) {
            runOpen = false;
            log->OnRunEnd();
        }
    }

    struct Settled : ReportSink {  // what `repeated` has settled
        explicit Settled(Machine* machine) : machine(machine) {}
        void OnReport(const Report& report) override { machine->Take(report); }
        void OnRunEnd() override { machine->EndRun(); }
        Machine* machine;
    };

    LogParser* parser;
    std::string host;
    MachineSink* log;
    Settled settled;
    RepeatedHour repeated;
    MonitorProcesses processes;
    bool runOpen = false;
    bool hasClock = false;
    int64_t lastInstant = 0;  // of the last report handed on
    int64_t elapsed = 0;
    bool seen = false;  // a status line was read
    int64_t lastSeen = 0;  // its instant
    CivilTime lastShown;   // and its time as the log shows it
    size_t file = 0;
};

LogParser::LogParser(DateRange range, std::vector<std::string> hosts, MachineSinks* machines)
    : range_(range), hosts_(std::move(hosts)), sinks_(machines) {}

LogParser::~LogParser() = default;

void LogParser::StartFile(std::string name) {
    files_.push_back(std::move(name));
}

LogParser::Machine* LogParser::MachineFor(std::string_view host) {
    if (lastMachine_ && lastMachine_->host == host) {
        return lastMachine_;
    }
    auto found = byHost_.find(host);
    if (found != byHost_.end()) {
        return lastMachine_ = found->second;
    }
    std::string name(host);
    if (!hosts_.empty() && std::find(hosts_.begin(), hosts_.end(), name) == hosts_.end()) {
        return nullptr;
    }
    machines_.push_back(std::make_unique<Machine>(this, name, sinks_->ForMachine(name)));
    Machine* machine = machines_.back().get();
    // Keyed by the machine's own copy of its name, which lives as long as it.
    return lastMachine_ = byHost_[machine->host] = machine;
}

LogTime LogParser::ReadTime(const JournalPrefix& prefix, const CivilTime& stamp,
                            const Machine* machine) {
    LogTime time;
    time.shown = stamp;
    if (prefix.hasTime) {
        time.shown = prefix.time;
        time.hasOffset = true;
        time.offsetMinutes = prefix.offsetMinutes;
        time.instant = prefix.instant;
    } else if (prefix.hasUnixTime) {
        time.instant = prefix.instant;
    } else {
        time.instant = zone_.ToUtc(SecondsOf(stamp), machine->seen ? machine->lastSeen : INT64_MIN,
                                   &time.earlier, &time.later);
    }
    return time;
}

LogTime LogParser::TimeOf(const JournalPrefix& prefix, const CivilTime& stamp, Machine* machine) {
    LogTime time = ReadTime(prefix, stamp, machine);
    size_t file = files_.empty() ? 0 : files_.size() - 1;
    if (machine->seen && machine->file != file && time.instant < machine->lastSeen - kOutOfOrder &&
        !outOfOrder_) {
        outOfOrder_ = FilesOutOfOrder{files_[file], files_[machine->file], time.shown,
                                      machine->lastShown};
    }
    machine->seen = true;
    machine->lastSeen = time.instant;
    machine->lastShown = time.shown;
    machine->file = file;
    return time;
}

void LogParser::Apply(const LogEntry& entry) {
    const JournalPrefix& prefix = entry.prefix;
    const ParsedLine& parsed = entry.parsed;
    std::string_view message = entry.message;
    if (parsed.kind == LineKind::Other) {
        Health(prefix, message);
        return;
    }
    sawLog_ = true;
    Machine* machine = MachineFor(prefix.host);
    if (!machine) {
        return;  // not one of the hosts asked for
    }
    switch (parsed.kind) {
        case LineKind::Status: {
            Report report;
            report.time = TimeOf(prefix, parsed.stamp, machine);
            report.source = parsed.source;
            report.charge = parsed.charge;
            report.fromWindows = entry.crlf;
            machine->processes.Status(prefix.pid, report);
            break;
        }
        case LineKind::Remaining:
        case LineKind::FullLife:
            machine->processes.Times(prefix.pid, parsed.kind, parsed.seconds);
            break;
        case LineKind::RunBoundary:
            machine->processes.Boundary(prefix.pid, message.substr(0, 3) == "APM");
            break;
        case LineKind::Other:
            break;
    }
}

// A battery health line: the machine's history, not its runs; out of
// order or not (a separate file of readings may be read after the log).
void LogParser::Health(const JournalPrefix& prefix, std::string_view message) {
    CivilTime stamp;
    BatteryInfo battery;
    if (!ParseBatteryHealthMessage(message, &stamp, &battery)) {
        return;
    }
    sawLog_ = true;
    Machine* machine = MachineFor(prefix.host);
    if (!machine) {
        return;
    }
    LogTime time = ReadTime(prefix, stamp, machine);
    int64_t day = DayOf(time.shown);
    if (day >= range_.firstDay && day <= range_.lastDay) {
        machine->log->OnHealth(time.instant, time.shown, battery);
    }
}

void LogParser::Finish() {
    for (const std::unique_ptr<Machine>& machine : machines_) {
        machine->processes.Finish();
        machine->repeated.Finish();
        machine->log->OnLogEnd();
    }
}
