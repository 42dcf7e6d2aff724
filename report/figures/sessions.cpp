#include "report/figures/sessions.h"

#include <algorithm>

namespace {

const size_t kMaxGaps = 4096;
const size_t kMaxSteps = 1024;

// Whether a report's log can show the monitor's wake: the Linux monitor
// holds its times back after every wake, so its first report after one
// shows none.
bool ShowsWakes(const Report& report) {
    return !report.fromWindows;
}

}  // namespace

void SessionTracker::Start(const Report& report) {
    open_ = true;
    session_ = Session();
    session_.start = report.time;
    samples_.Clear();
    gaps_.clear();
    steps_.clear();
    lastCharge_ = -1;
    stepAt_ = -1;
    lastGap_ = -1;
    firstKnownAt_ = lastKnownAt_ = -1;
}

void SessionTracker::AddGap(const LogTime& end, int endCharge, ReportGap::Kind kind) {
    if (gaps_.size() < kMaxGaps) {
        SleepGap span{last_.elapsed, end.elapsed,  endCharge >= 0 ? lastCharge_ - endCharge : 0,
                      last_,         end,          lastCharge_, endCharge};
        gaps_.push_back({span, kind, false});
        lastGap_ = static_cast<int>(gaps_.size()) - 1;
    }
}

void SessionTracker::OnReport(const Report& report) {
    if (report.source == PowerSource::Mains && open_) {
        Close(report.time, true, report.charge);
        return;
    }
    if (report.source != PowerSource::Battery) {
        return;
    }
    int64_t now = report.time.elapsed;
    bool showsTimes = report.remaining >= 0 || report.fullLife >= 0;
    if (!open_) {
        Start(report);
    } else if (firstKnownAt_ >= 0) {
        // Times before the gap and none after it: the monitor woke.
        if (now - last_.elapsed >= kShortestSleep) {
            AddGap(report.time, report.charge,
                   !lastShowedTimes_ || !ShowsWakes(report) ? ReportGap::Kind::Judged
                   : showsTimes                             ? ReportGap::Kind::Awake
                                                            : ReportGap::Kind::Wake);
        }
    }
    last_ = report.time;
    lastShowedTimes_ = showsTimes;
    if (report.charge < 0) {
        return;
    }
    if (firstKnownAt_ < 0) {
        firstKnownAt_ = now;
        session_.fromPercent = report.charge;
    }
    // The monitor reports each step as it comes, so a step of one point
    // was seen when it happened: unless the machine slept through the gap
    // before it, which is known only when the session ends.
    if (lastCharge_ >= 0 && report.charge == lastCharge_ - 1) {
        stepAt_ = now;
        if (steps_.size() < kMaxSteps) {
            steps_.push_back({{now, report.charge}, lastGap_});
        }
    } else if (report.charge != lastCharge_) {
        stepAt_ = -1;  // the step itself went unseen
    }
    lastGap_ = -1;
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

void SessionTracker::Close(const LogTime& end, bool onMains, int endCharge) {
    open_ = false;
    Session& session = session_;
    session.end = end;
    session.endedOnMains = onMains;
    session.seconds = end.elapsed - session.start.elapsed;
    if (firstKnownAt_ >= 0) {
        // Plugged in with the charge shown, the charge is known up to the
        // plug: it was about the last charge on battery then. Whether the
        // machine slept before it, only the charge can tell.
        int64_t knownEnd = lastKnownAt_;
        if (onMains && endCharge >= 0) {
            knownEnd = end.elapsed;
            if (knownEnd - last_.elapsed >= kShortestSleep) {
                AddGap(end, endCharge, ReportGap::Kind::Judged);
            }
        }
        int fall = session.fromPercent - session.toPercent;
        FindSleeps(&gaps_, knownEnd - firstKnownAt_, fall);
        double awake = static_cast<double>(knownEnd - firstKnownAt_);
        double awakeFall = fall;
        for (const ReportGap& gap : gaps_) {
            if (gap.asleep) {
                const SleepGap& sleep = gap.span;
                session.sleeps.push_back(sleep);
                session.asleepSeconds += sleep.to - sleep.from;
                awake -= static_cast<double>(sleep.to - sleep.from);
                awakeFall -= sleep.fell;
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
            }
        }
        // The steps seen: not those that came at the end of a sleep.
        std::vector<ChargeStep> steps;
        std::vector<int64_t> unseen;
        for (const Step& step : steps_) {
            if (step.afterGap >= 0 && gaps_[static_cast<size_t>(step.afterGap)].asleep) {
                unseen.push_back(step.step.at);
            } else {
                steps.push_back(step.step);
            }
        }
        std::vector<EstimateSample> samples = samples_.Items();
        for (EstimateSample& sample : samples) {
            if (std::binary_search(unseen.begin(), unseen.end(), sample.stepAt)) {
                sample.stepAt = -1;
            }
        }
        MeasureEstimates(samples, steps, &session);
    }
    sink_->OnSession(session);
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
