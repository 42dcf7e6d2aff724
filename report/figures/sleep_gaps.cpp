#include "report/figures/sleep_gaps.h"

#include <algorithm>

namespace {

// No laptop awake lasts 50 hours on a charge: the slowest drain a machine
// awake is taken to have, where its own session says nothing faster.
const double kSlowestDrainPerSecond = 2.0 / 3600;
// A judged gap is sleep where the charge fell by less than a sixth of what
// the pace predicts, one point of rounding given.
const double kSleepFactor = 6;

}  // namespace

void FindSleeps(std::vector<ReportGap>* gaps, int64_t knownSeconds, int knownFall) {
    for (ReportGap& gap : *gaps) {
        gap.asleep = gap.kind == ReportGap::Kind::Wake;
    }
    for (bool changed = true; changed;) {
        int64_t slept = 0;
        int fellAsleep = 0;
        for (const ReportGap& gap : *gaps) {
            if (gap.asleep) {
                slept += gap.span.to - gap.span.from;
                fellAsleep += gap.span.fell;
            }
        }
        int64_t awake = knownSeconds - slept;
        double pace = awake > 0 ? std::max(0, knownFall - fellAsleep) / static_cast<double>(awake) : 0;
        pace = std::max(pace, kSlowestDrainPerSecond);
        changed = false;
        for (ReportGap& gap : *gaps) {
            if (!gap.asleep && gap.kind == ReportGap::Kind::Judged &&
                pace * static_cast<double>(gap.span.to - gap.span.from) >=
                    kSleepFactor * (std::max(gap.span.fell, 0) + 1)) {
                gap.asleep = changed = true;
            }
        }
    }
}
