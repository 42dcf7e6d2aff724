// The session arithmetic: reports on battery gathered into sessions, and
// for each its length, the charge it went from and to, the drain, the full
// runtime that drain gives, and how honest the remaining times shown were.
#ifndef TOLVANE_REPORT_SESSIONS_H
#define TOLVANE_REPORT_SESSIONS_H

#include <optional>
#include <vector>

#include "report/log_types.h"
#include "report/thinned_list.h"

// Passes every report and end of run on to `next`, and each session as it
// ends.
class SessionTracker : public LogListener {
public:
    // At most this many remaining times of one session take part in its
    // figure; beyond it they are thinned evenly.
    static const size_t kMaxSamples = 1 << 16;

    explicit SessionTracker(LogListener* next) : next_(next), samples_(kMaxSamples) {}
    void OnReport(const Report& report) override;
    void OnRunEnd() override;
    void OnSession(const Session& session) override { next_->OnSession(session); }

private:
    struct Sample {
        int64_t elapsed;
        int charge;
        int64_t remaining;
    };
    void Close(const LogTime& end, bool onMains);

    LogListener* next_;
    bool open_ = false;
    Session session_;
    LogTime lastOnBattery_;
    ThinnedList<Sample> samples_;
};

// The median; empty for no values. Reorders `values`.
std::optional<double> Median(std::vector<double>* values);

#endif
