// One machine's log: its reports, in order, made into sessions and a
// summary, each session also handed on as it ends (to the CSV); and the
// health of its batteries. MachineLogs makes one for each machine the
// reader meets.
#ifndef TOLVANE_REPORT_FIGURES_MACHINE_LOG_H
#define TOLVANE_REPORT_FIGURES_MACHINE_LOG_H

#include <memory>
#include <string>
#include <vector>

#include "report/figures/health_history.h"
#include "report/figures/health_readings.h"
#include "report/figures/log_summary.h"
#include "report/figures/session.h"
#include "report/figures/sessions.h"
#include "report/read/log_types.h"

class MachineLog : public MachineSink, public SessionSink {
public:
    // `host`: the machine's name in the journal; empty for a log from tee.
    // `sessions` may be null. `charts`: keep what the page's charts draw.
    MachineLog(std::string host, MachineSessionSink* sessions, bool charts)
        : host_(std::move(host)), sessions_(sessions), summary_(charts) {}
    MachineLog(const MachineLog&) = delete;
    MachineLog& operator=(const MachineLog&) = delete;

    void OnReport(const Report& report) override {
        tracker_.OnReport(report);
        summary_.OnReport(report);
        readings_.OnReport(report.time.instant);
    }
    void OnRunEnd() override {
        tracker_.OnRunEnd();
        summary_.OnRunEnd();
    }
    void OnSession(const Session& session) override;
    void OnHealth(int64_t instant, const CivilTime& shown, const BatteryInfo& battery) override {
        readings_.Add(instant, shown, battery);
    }
    void OnLogEnd() override { readings_.Finish(); }

    const std::string& Host() const { return host_; }
    const LogSummary& Summary() const { return summary_; }
    const HealthHistory& Health() const { return health_; }

private:
    std::string host_;
    MachineSessionSink* sessions_;
    SessionTracker tracker_{this};
    LogSummary summary_;
    HealthHistory health_;
    HealthReadings readings_{&health_};
};

class MachineLogs : public MachineSinks {
public:
    // Each machine's sessions also go to `sessions` (may be null);
    // `charts`: each keeps what the page's charts draw (only the page
    // draws them).
    explicit MachineLogs(MachineSessionSink* sessions, bool charts = true)
        : sessions_(sessions), charts_(charts) {}
    MachineSink* ForMachine(const std::string& host) override;
    // The machines with a report or a health reading, in the order the
    // reader met them.
    std::vector<const MachineLog*> Machines() const;

private:
    MachineSessionSink* sessions_;
    bool charts_;
    std::vector<std::unique_ptr<MachineLog>> logs_;
};

#endif
