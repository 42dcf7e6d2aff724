#include "report/figures/sessions.h"

#include <algorithm>
#include <cmath>

namespace {

const size_t kMaxGaps = 4096;
const size_t kMaxSteps = 1024;
const size_t kRecentDrains = 9;
// No laptop awake lasts 50 hours on a charge: the slowest drain a machine
// awake is taken to have, where its own sessions say nothing slower.
const double kSlowestDrainPerSecond = 2.0 / 3600;
// A gap is sleep where the charge fell by less than a sixth of what the
// pace predicts, one point of rounding given.
const double kSleepFactor = 6;

}  // namespace

void SessionTracker::OnReport(const Report& report) {
    if (report.source == PowerSource::Mains && open_) {
        Close(report.time, true, report.charge);
        return;
    }
    if (report.source != PowerSource::Battery) {
        return;
    }
    int64_t now = report.time.elapsed;
    if (!open_) {
        open_ = true;
        session_ = Session();
        session_.start = report.time;
        samples_.Clear();
        gaps_.clear();
        steps_.clear();
        lastCharge_ = -1;
        stepAt_ = -1;
        firstKnownAt_ = lastKnownAt_ = -1;
    }
    last_ = report.time;
    if (report.charge < 0) {
        return;
    }
    if (firstKnownAt_ < 0) {
        firstKnownAt_ = now;
        session_.fromPercent = report.charge;
    } else if (now - lastKnownAt_ >= kShortestSleep && gaps_.size() < kMaxGaps) {
        gaps_.push_back({lastKnownAt_, now, lastCharge_ - report.charge, false});
    }
    if (lastCharge_ >= 0 && report.charge == lastCharge_ - 1 && now - lastKnownAt_ < kShortestSleep) {
        stepAt_ = now;
        if (steps_.size() < kMaxSteps) {
            steps_.push_back({now, report.charge});
        }
    } else if (report.charge != lastCharge_) {
        stepAt_ = -1;  // the step itself went unseen
    }
    lastCharge_ = report.charge;
    lastKnownAt_ = now;
    session_.toPercent = report.charge;
    if (report.remaining >= 0) {
        samples_.Add({now, report.charge, report.remaining, stepAt_});
    }
}

void SessionTracker::OnRunEnd() {
    if (open_) {
        Close(last_, false, -1);
    }
}

void SessionTracker::FindSleep(int64_t knownSeconds, int knownFall) {
    double prior = kSlowestDrainPerSecond;
    if (!recentDrains_.empty()) {
        std::vector<double> drains(recentDrains_.begin(), recentDrains_.end());
        prior = std::max(prior, *Median(&drains) / 3600);
    }
    for (bool changed = true; changed;) {
        int64_t slept = 0;
        int fellAsleep = 0;
        for (const Gap& gap : gaps_) {
            if (gap.asleep) {
                slept += gap.to - gap.from;
                fellAsleep += gap.fell;
            }
        }
        int64_t awake = knownSeconds - slept;
        double pace = awake > 0 ? std::max(0, knownFall - fellAsleep) / static_cast<double>(awake) : 0;
        pace = std::max(pace, prior);
        changed = false;
        for (Gap& gap : gaps_) {
            if (!gap.asleep &&
                pace * static_cast<double>(gap.to - gap.from) >= kSleepFactor * (std::max(gap.fell, 0) + 1)) {
                gap.asleep = changed = true;
            }
        }
    }
}

int64_t SessionTracker::Awake(int64_t elapsed) const {
    for (const SleepGap& sleep : session_.sleeps) {
        if (sleep.to <= elapsed) {
            elapsed -= sleep.to - sleep.from;
        }
    }
    return elapsed;
}

void SessionTracker::Close(const LogTime& end, bool onMains, int endCharge) {
    open_ = false;
    Session& session = session_;
    session.end = end;
    session.endedOnMains = onMains;
    session.seconds = end.elapsed - session.start.elapsed;
    if (firstKnownAt_ >= 0) {
        // Plugged in with the charge shown, the charge is known up to the
        // plug: it was about the last charge on battery then.
        int64_t knownEnd = lastKnownAt_;
        if (onMains && endCharge >= 0) {
            knownEnd = end.elapsed;
            if (knownEnd - lastKnownAt_ >= kShortestSleep && gaps_.size() < kMaxGaps) {
                gaps_.push_back({lastKnownAt_, knownEnd, lastCharge_ - endCharge, false});
            }
        }
        int fall = session.fromPercent - session.toPercent;
        FindSleep(knownEnd - firstKnownAt_, fall);
        double awake = static_cast<double>(knownEnd - firstKnownAt_);
        double awakeFall = fall;
        for (const Gap& gap : gaps_) {
            if (gap.asleep) {
                session.sleeps.push_back({gap.from, gap.to});
                session.asleepSeconds += gap.to - gap.from;
                awake -= static_cast<double>(gap.to - gap.from);
                awakeFall -= gap.fell;
            }
        }
        session.awakeSeconds = awake;
        session.awakeFall = awakeFall;
        // A charge that rose on battery (a battery swapped, a weak charger)
        // gives no drain: a negative one would pass for a figure.
        if (awake > 0 && awakeFall >= 0) {
            session.percentPerHour = awakeFall * 3600 / awake;
            if (awakeFall >= 2) {
                session.fullRuntimeSeconds = 100 * awake / awakeFall;
                recentDrains_.push_back(*session.percentPerHour);
                if (recentDrains_.size() > kRecentDrains) {
                    recentDrains_.pop_front();
                }
            }
        }
        MeasureEstimates();
    }
    sink_->OnSession(session);
}

// Each remaining time R shown at t against the time the charge lasted at
// the pace the session kept after it. The charge is known exactly where it
// steps: a report that shows c % at the moment the charge stepped down to
// it had c + 0.5 %; between two steps it falls at the session's pace. The
// pace is that of the steps from the report's own (or the next one seen)
// to the last one seen, which must be 5 points or more below: one step
// more or less then moves the figure by a fifth at most. All on the time
// awake.
void SessionTracker::MeasureEstimates() {
    Session& session = session_;
    if (steps_.empty()) {
        return;
    }
    const Step& last = steps_.back();
    double lastAt = static_cast<double>(Awake(last.at));
    std::vector<double> errors;
    for (const Sample& sample : samples_.Items()) {
        if (sample.charge - last.charge < 5) {
            continue;
        }
        double at = static_cast<double>(Awake(sample.elapsed));
        double charge, pace;
        if (sample.stepAt >= 0) {
            double from = static_cast<double>(Awake(sample.stepAt));
            pace = (sample.charge - last.charge) / (lastAt - from);
            charge = sample.charge + 0.5 - pace * (at - from);
        } else {
            auto next = std::upper_bound(steps_.begin(), steps_.end(), sample.elapsed,
                                         [](int64_t t, const Step& step) { return t < step.at; });
            if (next == steps_.end() || next->charge <= last.charge) {
                continue;
            }
            double from = static_cast<double>(Awake(next->at));
            pace = (next->charge - last.charge) / (lastAt - from);
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
        session.estimates.push_back({realised, static_cast<double>(sample.remaining)});
    }
    if (std::optional<double> median = Median(&errors)) {
        session.estimateErrorPercent = *median * 100;
    }
}

std::optional<double> Median(std::vector<double>* values) {
    if (values->empty()) {
        return std::nullopt;
    }
    size_t middle = values->size() / 2;
    std::nth_element(values->begin(), values->begin() + middle, values->end());
    double upper = (*values)[middle];
    if (values->size() % 2 == 1) {
        return upper;
    }
    double lower = *std::max_element(values->begin(), values->begin() + middle);
    return (lower + upper) / 2;
}
