// One machine's monitor processes, as the journal names them: which one's
// reports make the machine's log. A new process after the last one ended
// (a restart, a new boot) begins a new run. Two at once (two users logged
// in, each with the user unit) watch the same battery: the reports of one
// are followed and the other's are held back, until a change it reports
// shows that the one followed has gone (it did not report the same within
// kWindow); then the other is followed from there, without a break where
// both were running, as a new run where it started only after the first
// one's last report.
#ifndef TOLVANE_REPORT_READ_MONITOR_PROCESSES_H
#define TOLVANE_REPORT_READ_MONITOR_PROCESSES_H

#include <stdint.h>

#include <string>
#include <string_view>
#include <vector>

#include "report/read/log_line.h"
#include "report/read/log_types.h"

class MonitorProcesses {
public:
    static const int64_t kWindow = 30;      // seconds
    static const size_t kMaxProcesses = 8;  // at once on one machine
    static const size_t kMaxHeld = 256;     // reports held back from one process

    explicit MonitorProcesses(ReportSink* sink) : sink_(sink) {}
    // A status line of process `pid` ("" where the log names none): its
    // report, complete but for the times on the lines that follow.
    void Status(std::string_view pid, const Report& report);
    void Times(std::string_view pid, LineKind kind, int64_t seconds);
    // The banner of a start, or a message the monitor ended with. A banner
    // of a process that has reported already is a new start under the same
    // id (a user unit after a reboot often gets it): the run before ends.
    void Boundary(std::string_view pid, bool ended);
    // The end of the input.
    void Finish();

private:
    enum class Role { Followed, Contender, Shadow };
    struct Process {
        std::string pid;
        Role role = Role::Contender;
        Report pending;
        bool hasPending = false;
        int64_t startedAt = 0;
        int64_t lastAt = 0;
        std::vector<Report> held;
        bool unconfirmed = false;  // a change of its own not yet reported by the one followed
        bool reported = false;     // a status line since its banner
        Report change;
    };

    Process* Find(std::string_view pid, bool create);
    void Complete(Process* process);
    void Deliver(Process* process, const Report& report);
    void Emit(const Report& report);
    void Resolve();
    void Switch(size_t index);
    void Remove(size_t index);
    void End(std::string_view pid);
    bool Followed() const { return !processes_.empty() && processes_[0].role == Role::Followed; }

    ReportSink* sink_;
    std::vector<Process> processes_;  // the one followed first
    bool haveLast_ = false;
    Report last_;  // the last report handed on
    int64_t now_ = INT64_MIN;
};

#endif
