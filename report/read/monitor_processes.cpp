#include "report/read/monitor_processes.h"

#include <stdlib.h>

#include <algorithm>

namespace {

bool SameState(const Report& a, const Report& b) {
    return a.source == b.source && a.charge == b.charge;
}

}  // namespace

MonitorProcesses::Process* MonitorProcesses::Find(std::string_view pid, bool create) {
    for (Process& process : processes_) {
        if (process.pid == pid) {
            return &process;
        }
    }
    if (!create) {
        return nullptr;
    }
    if (processes_.size() >= kMaxProcesses) {
        // The one heard from longest ago makes room, never the one followed.
        auto oldest = std::min_element(processes_.begin() + 1, processes_.end(),
                                       [](const Process& a, const Process& b) { return a.lastAt < b.lastAt; });
        Remove(static_cast<size_t>(oldest - processes_.begin()));
    }
    Process process;
    process.pid = std::string(pid);
    process.startedAt = process.lastAt = now_;
    if (!Followed()) {
        process.role = Role::Followed;
        processes_.insert(processes_.begin(), std::move(process));
        return &processes_[0];
    }
    processes_.push_back(std::move(process));
    return &processes_.back();
}

void MonitorProcesses::Status(std::string_view pid, const Report& report) {
    now_ = std::max(now_, report.time.instant);
    Process* process = Find(pid, true);
    Complete(process);
    process = Find(pid, true);  // Complete may have switched and moved it
    process->pending = report;
    process->hasPending = true;
    process->reported = true;
    process->lastAt = now_;
    // The times of another process's report come right after its status
    // line: one a few seconds old is complete.
    for (size_t i = 0; i < processes_.size(); i++) {
        if (processes_[i].pid != pid && processes_[i].hasPending &&
            processes_[i].pending.time.instant < now_ - 2) {
            Complete(&processes_[i]);
        }
    }
    Resolve();
}

void MonitorProcesses::Times(std::string_view pid, LineKind kind, int64_t seconds) {
    Process* process = Find(pid, false);
    if (!process || !process->hasPending || seconds < 0) {
        return;  // only right after its status line; a negative time is no time
    }
    Report& report = process->pending;
    if (kind == LineKind::Remaining && report.remaining < 0 && report.fullLife < 0) {
        report.remaining = seconds;
    } else if (kind == LineKind::FullLife && report.fullLife < 0) {
        report.fullLife = seconds;
        Complete(process);  // the last line a report can have
    }
}

void MonitorProcesses::Boundary(std::string_view pid, bool ended) {
    if (pid.empty()) {
        if (Process* process = Find(pid, false)) {
            Complete(process);
        }
        sink_->OnRunEnd();
        return;
    }
    Process* process = Find(pid, false);
    if (process && (ended || process->reported)) {
        End(pid);
    }
    if (!ended) {
        Find(pid, true);
    }
}

// The process has ended: its last report is handed on and it is forgotten.
void MonitorProcesses::End(std::string_view pid) {
    Complete(Find(pid, false));
    size_t index = static_cast<size_t>(Find(pid, false) - processes_.data());  // Complete may move it
    bool followed = processes_[index].role == Role::Followed;
    Remove(index);
    if (followed) {
        // Another one still running takes over; else the run is over.
        if (processes_.empty()) {
            sink_->OnRunEnd();
        } else {
            Switch(0);
        }
    }
}

void MonitorProcesses::Complete(Process* process) {
    if (process->hasPending) {
        process->hasPending = false;
        Deliver(process, process->pending);
    }
}

void MonitorProcesses::Deliver(Process* process, const Report& report) {
    if (process->role == Role::Followed) {
        Emit(report);
        for (Process& other : processes_) {
            if (other.unconfirmed && SameState(other.change, report) &&
                llabs(other.change.time.instant - report.time.instant) <= kWindow) {
                other.role = Role::Shadow;  // both running: the change was seen by both
                other.held.clear();
                other.unconfirmed = false;
            }
        }
        return;
    }
    if (haveLast_ && SameState(report, last_)) {
        if (process->role == Role::Shadow) {
            process->held.clear();
            process->unconfirmed = false;
            return;
        }
    } else if (!process->unconfirmed) {
        process->unconfirmed = true;
        process->change = report;
    }
    process->held.push_back(report);
    if (process->held.size() > kMaxHeld) {
        Switch(static_cast<size_t>(process - processes_.data()));
    }
}

void MonitorProcesses::Emit(const Report& report) {
    sink_->OnReport(report);
    last_ = report;
    haveLast_ = true;
}

void MonitorProcesses::Resolve() {
    for (size_t i = 1; i < processes_.size(); i++) {
        if (processes_[i].unconfirmed && now_ - processes_[i].change.time.instant > kWindow) {
            Switch(i);
            return;
        }
    }
}

// The one followed has gone: process `index` is followed from now on.
void MonitorProcesses::Switch(size_t index) {
    if (Followed()) {
        Complete(&processes_[0]);
    }
    Process next = std::move(processes_[index]);
    processes_.erase(processes_.begin() + static_cast<std::ptrdiff_t>(index));
    if (Followed()) {
        processes_.erase(processes_.begin());
    }
    // Started only after the last report of the one before: a restart,
    // and the log has a hole there. Else both ran, and nothing was missed.
    bool restart = next.role == Role::Contender && (!haveLast_ || next.startedAt >= last_.time.instant);
    if (restart && haveLast_) {
        sink_->OnRunEnd();
    }
    int64_t since = haveLast_ ? last_.time.instant : INT64_MIN;
    for (const Report& report : next.held) {
        if (restart || report.time.instant >= since) {
            Emit(report);
        }
    }
    next.held.clear();
    next.unconfirmed = false;
    next.role = Role::Followed;
    processes_.insert(processes_.begin(), std::move(next));
}

void MonitorProcesses::Remove(size_t index) {
    processes_.erase(processes_.begin() + static_cast<std::ptrdiff_t>(index));
}

void MonitorProcesses::Finish() {
    for (size_t i = 0; i < processes_.size(); i++) {
        Complete(&processes_[i]);
    }
    for (size_t i = 1; i < processes_.size(); i++) {
        if (processes_[i].unconfirmed) {
            Switch(i);
            i = 0;
        }
    }
    sink_->OnRunEnd();
}
