#include "report/log_parser.h"

#include <string.h>

LogParser::LogParser(LogListener* listener, DateRange range) : listener_(listener), range_(range) {}

void LogParser::Line(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    JournalPrefix prefix;
    std::string_view message = SplitJournalPrefix(line, &prefix);
    if (!prefix.fromTolvane) {
        return;  // another unit's line in the journal
    }
    if (!prefix.pid.empty() && prefix.pid != pid_) {
        // A new process: the monitor was started again.
        if (!pid_.empty()) {
            Flush();
            EndRun();
        }
        pid_ = prefix.pid;
    }
    ParsedLine parsed = ParseMessage(message);
    switch (parsed.kind) {
        case LineKind::Status:
            Flush();
            StartReport(prefix, parsed);
            break;
        case LineKind::Remaining:
            // Only right after its status line; a negative time is no time.
            if (hasPending_ && pending_.remaining < 0 && pending_.fullLife < 0 &&
                parsed.seconds >= 0) {
                pending_.remaining = parsed.seconds;
            }
            break;
        case LineKind::FullLife:
            if (hasPending_ && pending_.fullLife < 0 && parsed.seconds >= 0) {
                pending_.fullLife = parsed.seconds;
            }
            break;
        case LineKind::RunBoundary:
            Flush();
            EndRun();
            break;
        case LineKind::Other:
            break;
    }
}

void LogParser::Finish() {
    Flush();
    EndRun();
}

void LogParser::StartReport(const JournalPrefix& prefix, const ParsedLine& status) {
    pending_ = Report();
    LogTime& time = pending_.time;
    int64_t clock;
    if (prefix.hasTime) {
        time.shown = prefix.time;
        time.hasOffset = true;
        time.offsetMinutes = prefix.offsetMinutes;
        clock = SecondsOf(prefix.time) - prefix.offsetMinutes * 60;
    } else {
        time.shown = status.stamp;
        clock = SecondsOf(status.stamp);
    }
    if (hasClock_ && clock > lastClock_) {
        elapsed_ += clock - lastClock_;
    }
    hasClock_ = true;
    lastClock_ = clock;
    time.elapsed = elapsed_;
    pending_.source = status.source;
    pending_.charge = status.charge;
    hasPending_ = true;
}

void LogParser::Flush() {
    if (!hasPending_) {
        return;
    }
    hasPending_ = false;
    int64_t day = DayOf(pending_.time.shown);
    if (day < range_.firstDay || day > range_.lastDay) {
        EndRun();  // outside the dates asked for: what came before ends there
        return;
    }
    runOpen_ = true;
    listener_->OnReport(pending_);
}

void LogParser::EndRun() {
    if (runOpen_) {
        runOpen_ = false;
        listener_->OnRunEnd();
    }
}

void LineSplitter::Feed(const char* data, size_t size) {
    const char* end = data + size;
    while (data < end) {
        const char* feed = static_cast<const char*>(memchr(data, '\n', end - data));
        const char* stop = feed ? feed : end;
        size_t length = stop - data;
        if (overlong_ || partial_.size() + length > kMaxLineLength) {
            partial_.clear();
            overlong_ = true;
        } else if (!feed) {
            partial_.append(data, length);
        } else if (partial_.empty()) {
            parser_->Line(std::string_view(data, length));
        } else {
            partial_.append(data, length);
            parser_->Line(partial_);
            partial_.clear();
        }
        if (feed) {
            overlong_ = false;
        }
        data = feed ? feed + 1 : end;
    }
}

void LineSplitter::EndOfFile() {
    if (!partial_.empty()) {
        parser_->Line(partial_);
    }
    partial_.clear();
    overlong_ = false;
}
