#include "report/figures/machine_log.h"

void MachineLog::OnSession(const Session& session) {
    if (sessions_) {
        sessions_->OnSession(host_, session);
    }
    summary_.OnSession(session);
}

MachineSink* MachineLogs::ForMachine(const std::string& host) {
    logs_.push_back(std::make_unique<MachineLog>(host, sessions_, charts_));
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
