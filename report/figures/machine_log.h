// One machine's log: its reports, in order, made into sessions and a
// summary, each session also handed on as it ends (to the CSV); and the
// health of its batteries. MachineLogs makes one for each machine the
// reader meets.
#ifndef TOLVANE_REPORT_FIGURES_MACHINE_LOG_H
#define TOLVANE_REPORT_FIGURES_MACHINE_LOG_H

#include <memory>
#include <string>
#include <vector>

#include "report/figures/charge_log.h"
#include "report/figures/charges.h"
#include "report/figures/day_usage.h"
#include "report/figures/health_history.h"
#include "report/figures/health_readings.h"
#include "report/figures/log_summary.h"
#include "report/figures/session.h"
#include "report/figures/sessions.h"
#include "report/figures/sleep_log.h"
#include "report/read/log_types.h"

// Where each machine's sessions and charges go as they end, with the
// machine's name: the CSV lists them all, while the summary keeps the
// latest.
class MachineRowSink {
public:
    virtual ~MachineRowSink() = default;
    virtual void OnSession(const std::string& host, const Session& session) = 0;
    virtual void OnCharge(const std::string& host, const Charge& charge) = 0;
};

class MachineLog : public MachineSink, public SessionSink, public ChargeSink {
public:
    // `host`: the machine's name in the journal; empty for a log from tee.
    // `rows` may be null. `charts`: keep what the page's charts draw.
    MachineLog(std::string host, MachineRowSink* rows, bool charts)
        : host_(std::move(host)), rows_(rows), summary_(charts) {}
    MachineLog(const MachineLog&) = delete;
    MachineLog& operator=(const MachineLog&) = delete;

    void OnReport(const Report& report) override {
        tracker_.OnReport(report);
        charging_.OnReport(report);
        summary_.OnReport(report);
        usage_.OnReport(report);
        readings_.OnReport(report.time.instant);
    }
    void OnRunEnd() override {
        tracker_.OnRunEnd();
        charging_.OnRunEnd();
        summary_.OnRunEnd();
        usage_.OnRunEnd();
    }
    void OnSession(const Session& session) override;
    void OnCharge(const Charge& charge) override;
    void OnHealth(int64_t instant, const CivilTime& shown, const BatteryInfo& battery) override {
        readings_.Add(instant, shown, battery);
    }
    void OnLogEnd() override {
        readings_.Finish();
        usage_.Finish();
    }

    const std::string& Host() const { return host_; }
    const LogSummary& Summary() const { return summary_; }
    const HealthHistory& Health() const { return health_; }
    const SleepLog& Sleeps() const { return sleeps_; }
    const ChargeLog& Charges() const { return charges_; }
    const UsageBook& Usage() const { return usage_; }

private:
    std::string host_;
    MachineRowSink* rows_;
    SessionTracker tracker_{this};
    ChargeTracker charging_{this};
    LogSummary summary_;
    SleepLog sleeps_;
    ChargeLog charges_;
    UsageBook usage_;
    HealthHistory health_;
    HealthReadings readings_{&health_};
};

class MachineLogs : public MachineSinks {
public:
    // Each machine's sessions and charges also go to `rows` (may be null);
    // `charts`: each keeps what the page's charts draw (only the page
    // draws them).
    explicit MachineLogs(MachineRowSink* rows, bool charts = true) : rows_(rows), charts_(charts) {}
    MachineSink* ForMachine(const std::string& host) override;
    // The machines with a report or a health reading, in the order the
    // reader met them.
    std::vector<const MachineLog*> Machines() const;

private:
    MachineRowSink* rows_;
    bool charts_;
    std::vector<std::unique_ptr<MachineLog>> logs_;
};

#endif
