#include "report/machine_log.h"

#include "report/csv_output.h"

void MachineLog::OnSession(const Session& session) {
    if (csv_) {
        csv_->Write(session, host_);
    }
    summary_.OnSession(session);
}
