#include "report/figures/charges.h"

namespace {

const int kLeastRise = 2;
// A part charged in less time than this gives no rate: a gauge that jumps
// a few points at the plug would pass for a charger of thousands of %/h.
const int64_t kShortestRated = 10 * 60;

double Rate(int from, int to, const LogTime& fromAt, const LogTime& toAt) {
    return (to - from) * 3600.0 / static_cast<double>(toAt.elapsed - fromAt.elapsed);
}

}  // namespace

void ChargeTracker::Open(const Report& report) {
    open_ = true;
    charge_ = Charge();
    charge_.start = last_ = highAt_ = report.time;
    charge_.fromPercent = charge_.toPercent = report.charge;
    seen20_ = seen80_ = false;
    if (report.charge >= 20) {
        seen20_ = true;
        at20_ = report.time;
    }
    if (report.charge >= 80) {
        seen80_ = true;
        at80_ = report.time;
    }
}

void ChargeTracker::OnReport(const Report& report) {
    if (report.source == PowerSource::Battery) {
        if (open_) {
            Close(report.time, Charge::Ended::Unplugged);
        }
        return;
    }
    if (report.source != PowerSource::Mains || report.charge < 0) {
        return;
    }
    if (!open_) {
        Open(report);
        return;
    }
    if (report.charge > charge_.toPercent) {
        // Held at one value for half an hour, then charging again (a limit
        // lifted): the held charge ends, a new one begins.
        if (report.time.elapsed - highAt_.elapsed >= kHeld && charge_.toPercent < 100) {
            Close(highAt_, Charge::Ended::Held);
            Open(report);
            return;
        }
        charge_.toPercent = report.charge;
        highAt_ = report.time;
        if (!seen20_ && report.charge >= 20) {
            seen20_ = true;
            at20_ = report.time;
        }
        if (!seen80_ && report.charge >= 80) {
            seen80_ = true;
            at80_ = report.time;
        }
    }
    last_ = report.time;
    if (report.charge >= 100) {
        Close(report.time, Charge::Ended::Full);
    }
}

void ChargeTracker::OnRunEnd() {
    if (open_) {
        Close(last_, Charge::Ended::Cut);
    }
}

void ChargeTracker::Close(const LogTime& end, Charge::Ended ended) {
    open_ = false;
    Charge& charge = charge_;
    if (charge.toPercent - charge.fromPercent < kLeastRise) {
        return;
    }
    // Where the charge sat at its highest below full for half an hour, a
    // limit held it there: the charge ended when it got there.
    charge.end = end;
    charge.ended = ended;
    if (ended != Charge::Ended::Full && charge.toPercent < 100 &&
        end.elapsed - highAt_.elapsed >= kHeld) {
        charge.end = highAt_;
        charge.ended = Charge::Ended::Held;
    }
    if (charge.ended == Charge::Ended::Held) {
        charge.heldPercent = charge.toPercent;
    }
    charge.seconds = charge.end.elapsed - charge.start.elapsed;
    // The fast part, 20 to 80 %, as far as the charge went through it.
    int from = charge.fromPercent, to = charge.toPercent;
    const LogTime* fromAt = &charge.start;
    const LogTime* toAt = &highAt_;
    if (from < 80 && to > 20) {
        if (from < 20) {
            from = 20;
            fromAt = &at20_;
        }
        if (to > 80) {
            to = 80;
            toAt = &at80_;
        }
    }
    if (toAt->elapsed - fromAt->elapsed >= kShortestRated && to > from) {
        charge.percentPerHour = Rate(from, to, *fromAt, *toAt);
        charge.rateFrom = from;
        charge.rateTo = to;
    }
    if (charge.fromPercent <= 20 && seen80_) {
        charge.seconds20To80 = at80_.elapsed - at20_.elapsed;
    }
    sink_->OnCharge(charge);
}
