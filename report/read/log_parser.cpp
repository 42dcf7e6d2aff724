#include "report/read/log_parser.h"

#include <algorithm>

#include "report/read/health_line.h"
#include "report/read/followed_machine.h"

namespace {

// A file whose first report comes this much before the end of the one
// read before it is out of order (a clock set back does less).
const int64_t kOutOfOrder = 600;

}  // namespace

LogParser::LogParser(DateRange range, std::vector<std::string> hosts, MachineSinks* machines)
    : range_(range), hosts_(std::move(hosts)), sinks_(machines) {}

LogParser::~LogParser() = default;

void LogParser::StartFile(std::string name) {
    files_.push_back(std::move(name));
}

FollowedMachine* LogParser::MachineFor(std::string_view host) {
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
    machines_.push_back(
        std::make_unique<FollowedMachine>(range_, &daysSeen_, name, sinks_->ForMachine(name)));
    FollowedMachine* machine = machines_.back().get();
    // Keyed by the machine's own copy of its name, which lives as long as it.
    return lastMachine_ = byHost_[machine->host] = machine;
}

LogTime LogParser::ReadTime(const JournalPrefix& prefix, const CivilTime& stamp,
                            const FollowedMachine* machine) {
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

LogTime LogParser::TimeOf(const JournalPrefix& prefix, const CivilTime& stamp, FollowedMachine* machine) {
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
    FollowedMachine* machine = MachineFor(prefix.host);
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
    FollowedMachine* machine = MachineFor(prefix.host);
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
    for (const std::unique_ptr<FollowedMachine>& machine : machines_) {
        machine->processes.Finish();
        machine->repeated.Finish();
        machine->log->OnLogEnd();
    }
}
