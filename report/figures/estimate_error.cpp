#include "report/figures/estimate_error.h"

#include <algorithm>
#include <cmath>

#include "report/figures/sessions.h"

namespace {

// Seconds awake from the session's start to `elapsed`.
int64_t Awake(const Session& session, int64_t elapsed) {
    for (const SleepGap& sleep : session.sleeps) {
        if (sleep.to <= elapsed) {
            elapsed -= sleep.to - sleep.from;
        }
    }
    return elapsed;
}

// The points lost asleep between `from` and `to`: no part of the pace awake.
int FellAsleep(const Session& session, int64_t from, int64_t to) {
    int fell = 0;
    for (const SleepGap& sleep : session.sleeps) {
        if (sleep.from >= from && sleep.to <= to) {
            fell += sleep.fell;
        }
    }
    return fell;
}

}  // namespace

// Each remaining time R shown at t against the time the charge lasted at
// the pace the session kept after it. The charge is known exactly where it
// steps: a report that shows c % at the moment the charge stepped down to
// it had c + 0.5 %; between two steps it falls at the session's pace. The
// pace is that of the steps from the report's own (or the next one seen)
// to the last one seen, which must be 5 points or more below: one step
// more or less then moves the figure by a fifth at most. All on the time
// awake and the charge lost awake: what a sleep cost is no part of it.
void MeasureEstimates(const std::vector<EstimateSample>& samples,
                      const std::vector<ChargeStep>& steps, Session* session) {
    if (steps.empty()) {
        return;
    }
    const ChargeStep& last = steps.back();
    double lastAt = static_cast<double>(Awake(*session, last.at));
    std::vector<double> errors;
    for (const EstimateSample& sample : samples) {
        if (sample.charge - last.charge < 5) {
            continue;
        }
        double at = static_cast<double>(Awake(*session, sample.elapsed));
        double charge, pace;
        if (sample.stepAt >= 0) {
            double from = static_cast<double>(Awake(*session, sample.stepAt));
            pace = (sample.charge - last.charge - FellAsleep(*session, sample.stepAt, last.at)) /
                   (lastAt - from);
            charge = sample.charge + 0.5 - pace * (at - from);
        } else {
            auto next = std::upper_bound(steps.begin(), steps.end(), sample.elapsed,
                                         [](int64_t t, const ChargeStep& step) { return t < step.at; });
            if (next == steps.end() || next->charge <= last.charge) {
                continue;
            }
            double from = static_cast<double>(Awake(*session, next->at));
            pace = (next->charge - last.charge - FellAsleep(*session, next->at, last.at)) /
                   (lastAt - from);
            charge = next->charge + 0.5 + pace * (from - at);
        }
        if (!(pace > 0) || !std::isfinite(pace)) {
            continue;  // no awake time between the steps: no pace to go by
        }
        charge = std::min(std::max(charge, sample.charge - 0.5), sample.charge + 0.5);
        double realised = charge / pace;
        if (!(realised > 0)) {
            continue;
        }
        errors.push_back(static_cast<double>(sample.remaining) / realised - 1);
        session->estimates.push_back({realised, static_cast<double>(sample.remaining)});
    }
    if (std::optional<double> median = Median(&errors)) {
        session->estimateErrorPercent = *median * 100;
    }
}
