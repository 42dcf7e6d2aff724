// The session arithmetic: reports on battery gathered into sessions, and
// for each its length, the time it slept, the charge it went from and to,
// the drain while awake, the full runtime that drain gives, and how honest
// the remaining times shown were.
#ifndef TOLVANE_REPORT_FIGURES_SESSIONS_H
#define TOLVANE_REPORT_FIGURES_SESSIONS_H

#include <deque>
#include <optional>
#include <vector>

#include "report/figures/session.h"
#include "report/figures/thinned_list.h"

// One machine's reports in, its sessions out to `sink` as each ends.
class SessionTracker {
public:
    // At most this many remaining times of one session take part in its
    // figure; beyond it they are thinned evenly.
    static const size_t kMaxSamples = 1 << 16;
    // A gap shorter than this is never sleep: a quiet spell of an idle
    // machine, or the time between two reports of a slow drain.
    static const int64_t kShortestSleep = 15 * 60;

    explicit SessionTracker(SessionSink* sink) : sink_(sink), samples_(kMaxSamples) {}
    void OnReport(const Report& report);
    // The run is over: an open session ends at its last report on battery.
    void OnRunEnd();

private:
    struct Sample {
        int64_t elapsed;
        int charge;
        int64_t remaining;
        int64_t stepAt;  // when the charge stepped to `charge`, where the log saw it; else -1
    };
    // A gap between two reports long enough to be sleep, and the charge
    // lost across it.
    struct Gap {
        int64_t from;
        int64_t to;
        int fell;
        bool asleep;
    };
    // The charge seen stepping down one point: at `at` it was charge + 0.5.
    struct Step {
        int64_t at;
        int charge;
    };

    void Close(const LogTime& end, bool onMains, int endCharge);
    void FindSleep(int64_t knownSeconds, int knownFall);
    int64_t Awake(int64_t elapsed) const;
    void MeasureEstimates();

    SessionSink* sink_;
    bool open_ = false;
    Session session_;
    LogTime last_;  // the last report on battery
    int lastCharge_ = -1;
    int64_t stepAt_ = -1;
    int64_t firstKnownAt_ = -1;  // the first and last report on battery showing a charge
    int64_t lastKnownAt_ = -1;
    ThinnedList<Sample> samples_;
    std::vector<Gap> gaps_;
    std::vector<Step> steps_;
    std::deque<double> recentDrains_;  // the awake drains of the machine's latest sessions
};

// The median; empty for no values. Reorders `values`.
std::optional<double> Median(std::vector<double>* values);

#endif
