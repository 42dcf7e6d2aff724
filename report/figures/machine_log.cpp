#include "report/figures/machine_log.h"

void MachineLog::OnSession(const Session& session) {
    if (rows_) {
        rows_->OnSession(host_, session);
    }
    summary_.OnSession(session);
    sleeps_.OnSession(session);
    usage_.OnSession(session);
}

void MachineLog::OnCharge(const Charge& charge) {
    if (rows_) {
        rows_->OnCharge(host_, charge);
    }
    summary_.OnCharge(charge);
    charges_.OnCharge(charge);
}

MachineSink* MachineLogs::ForMachine(const std::string& host) {
    logs_.push_back(std::make_unique<MachineLog>(host, rows_, charts_));
    return logs_.back().get();
}

std::vector<const MachineLog*> MachineLogs::Machines() const {
    std::vector<const MachineLog*> machines;
    for (const std::unique_ptr<MachineLog>& log : logs_) {
        if (log->Summary().Reports() > 0 || !log->Health().Empty()) {
            machines.push_back(log.get());
        }
    }
    return machines;
}
