// The session arithmetic: reports on battery gathered into sessions, and
// for each its length, the time it slept, the charge it went from and to,
// the drain while awake, the full runtime that drain gives, and how honest
// the remaining times shown were.
#ifndef TOLVANE_REPORT_FIGURES_SESSIONS_H
#define TOLVANE_REPORT_FIGURES_SESSIONS_H

#include <optional>
#include <vector>

#include "report/figures/estimate_error.h"
#include "report/figures/session.h"
#include "report/figures/sleep_gaps.h"
#include "report/figures/thinned_list.h"

// One machine's reports in, its sessions out to `sink` as each ends.
class SessionTracker {
public:
    // At most this many remaining times of one session take part in its
    // figure; beyond it they are thinned evenly.
    static const size_t kMaxSamples = 1 << 16;

    explicit SessionTracker(SessionSink* sink) : sink_(sink), samples_(kMaxSamples) {}
    void OnReport(const Report& report);
    // The run is over: an open session ends at its last report on battery.
    void OnRunEnd();

private:
    // A step seen, and the long gap it came right after (an index into
    // gaps_), if any: a step at the end of a gap slept through was not seen.
    struct Step {
        ChargeStep step;
        int afterGap;
    };

    void Start(const Report& report);
    // A long gap from the last report on battery to the one at `end`.
    void AddGap(const LogTime& end, int endCharge, ReportGap::Kind kind);
    void Close(const LogTime& end, bool onMains, int endCharge);

    SessionSink* sink_;
    bool open_ = false;
    Session session_;
    LogTime last_;             // the last report on battery
    bool lastShowedTimes_ = false;
    int lastCharge_ = -1;
    int64_t stepAt_ = -1;
    int lastGap_ = -1;  // the long gap right before the last report, if any
    int64_t firstKnownAt_ = -1;  // the first and last report on battery showing a charge
    int64_t lastKnownAt_ = -1;
    ThinnedList<EstimateSample> samples_;
    std::vector<ReportGap> gaps_;
    std::vector<Step> steps_;
};

// The median; empty for no values. Reorders `values`.
std::optional<double> Median(std::vector<double>* values);

#endif
