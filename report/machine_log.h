// One machine's log: its reports, in order, made into sessions and a
// summary, each session also handed to the CSV as it ends; and the health
// of its batteries.
#ifndef TOLVANE_REPORT_MACHINE_LOG_H
#define TOLVANE_REPORT_MACHINE_LOG_H

#include <string>

#include "report/health_history.h"
#include "report/log_summary.h"
#include "report/log_types.h"
#include "report/sessions.h"

class CsvWriter;

class MachineLog : public SessionSink {
public:
    // `host`: the machine's name in the journal; empty for a log from tee.
    // `csv` may be null.
    MachineLog(std::string host, CsvWriter* csv) : host_(std::move(host)), csv_(csv) {}
    MachineLog(const MachineLog&) = delete;
    MachineLog& operator=(const MachineLog&) = delete;

    void OnReport(const Report& report) {
        tracker_.OnReport(report);
        summary_.OnReport(report);
    }
    void OnRunEnd() {
        tracker_.OnRunEnd();
        summary_.OnRunEnd();
    }
    void OnSession(const Session& session) override;
    // A battery health line.
    void OnHealth(int64_t instant, const CivilTime& shown, const BatteryInfo& battery) {
        health_.Add(instant, shown, battery);
    }

    const std::string& Host() const { return host_; }
    const LogSummary& Summary() const { return summary_; }
    const HealthHistory& Health() const { return health_; }

private:
    std::string host_;
    CsvWriter* csv_;
    SessionTracker tracker_{this};
    LogSummary summary_;
    HealthHistory health_;
};

#endif
