#include "report/figures/chart_series.h"

#include <stdlib.h>

#include <algorithm>

void ChargeSeries::Start(int64_t origin) {
    origin_ = origin;
    width_ = 1;
    buckets_.clear();
    hasLast_ = false;
    given_.clear();
    bucketed_ = false;
}

void ChargeSeries::Add(const Given& given) {
    if (bucketed_) {
        Apply(given);
        return;
    }
    given_.push_back(given);
    if (given_.size() >= kMaxGiven) {
        MakeBuckets();
    }
}

void ChargeSeries::MakeBuckets() {
    bucketed_ = true;
    buckets_.reserve(kBuckets);
    for (const Given& given : given_) {
        Apply(given);
    }
    std::vector<Given>().swap(given_);
}

void ChargeSeries::Apply(const Given& given) {
    switch (given.kind) {
        case Kind::Charge:
        case Kind::ChargeStartingRun:
            AddChargeToBuckets(given.from, given.charge, given.kind == Kind::ChargeStartingRun);
            break;
        case Kind::Mains:
        case Kind::Battery:
        case Kind::Asleep:
            AddSpan(given.from, given.to, given.kind);
            break;
        case Kind::SessionStart: {
            ChargeBucket& bucket = buckets_[Index(given.from)];
            MarkBattery(&bucket, given.from, given.from);
            bucket.sessions++;
            break;
        }
        case Kind::Break: {
            ChargeBucket& bucket = buckets_[Index(given.from)];
            if (!bucket.any || bucket.firstAt >= given.from) {
                bucket.startsRun = true;
            }
            break;
        }
    }
}

int64_t ChargeSeries::Width() const {
    if (bucketed_) {
        return width_;
    }
    ChargeSeries drawn = *this;
    drawn.MakeBuckets();
    return drawn.width_;
}

std::vector<ChargeBucket> ChargeSeries::Buckets() const {
    if (bucketed_) {
        return buckets_;
    }
    ChargeSeries drawn = *this;
    drawn.MakeBuckets();
    return drawn.buckets_;
}

size_t ChargeSeries::Index(int64_t elapsed) {
    int64_t offset = std::max<int64_t>(0, elapsed - origin_);
    // offset / width_ >= kBuckets, without a division for every report.
    while (offset >= width_ * static_cast<int64_t>(kBuckets)) {
        size_t count = (buckets_.size() + 1) / 2;
        for (size_t i = 0; i < count; i++) {
            buckets_[i] = 2 * i + 1 < buckets_.size() ? Merge(buckets_[2 * i], buckets_[2 * i + 1])
                                                      : buckets_[2 * i];
        }
        buckets_.resize(count);
        width_ *= 2;
    }
    size_t index = static_cast<size_t>(offset / width_);
    if (buckets_.size() <= index) {
        buckets_.resize(index + 1);
    }
    return index;
}

void ChargeSeries::AddChargeToBuckets(int64_t elapsed, int charge, bool startsRun) {
    bool missedSteps = hasLast_ && !startsRun && elapsed - lastAt_ >= kQuietSeconds &&
                       abs(charge - lastCharge_) >= kMissedSteps;
    hasLast_ = true;
    lastAt_ = elapsed;
    lastCharge_ = charge;
    ChargeBucket& bucket = buckets_[Index(elapsed)];
    if (!bucket.any) {
        bucket.any = true;
        bucket.startsRun = bucket.startsRun || startsRun;
        bucket.low = bucket.high = charge;
        bucket.firstAt = bucket.lowAt = bucket.highAt = elapsed;
    } else if (charge < bucket.low) {
        bucket.low = charge;
        bucket.lowAt = elapsed;
    } else if (charge > bucket.high) {
        bucket.high = charge;
        bucket.highAt = elapsed;
    }
    if (missedSteps) {
        Apply({elapsed, elapsed, 0, Kind::Break});
    }
}

void ChargeSeries::AddSpan(int64_t from, int64_t to, Kind kind) {
    if (to <= from) {
        return;
    }
    size_t last = Index(to);  // first, as it may merge buckets
    for (size_t i = Index(from); i <= last; i++) {
        int64_t begin = origin_ + static_cast<int64_t>(i) * width_;
        int64_t inFrom = std::max(from, begin), inTo = std::min(to, begin + width_);
        if (inTo <= inFrom) {
            continue;
        }
        double seconds = static_cast<double>(inTo - inFrom);
        if (kind == Kind::Battery) {
            MarkBattery(&buckets_[i], inFrom, inTo);
            buckets_[i].batterySeconds += seconds;
        } else if (kind == Kind::Asleep) {
            MarkAsleep(&buckets_[i], inFrom, inTo);
            buckets_[i].asleepSeconds += seconds;
        } else {
            buckets_[i].mainsSeconds += seconds;
        }
    }
}

void ChargeSeries::AddCharge(int64_t elapsed, int charge, bool startsRun) {
    Add({elapsed, elapsed, charge, startsRun ? Kind::ChargeStartingRun : Kind::Charge});
}

void ChargeSeries::BreakAt(int64_t elapsed) {
    Add({elapsed, elapsed, 0, Kind::Break});
}

void ChargeSeries::AddMains(int64_t from, int64_t to) {
    Add({from, to, 0, Kind::Mains});
}

void ChargeSeries::AddBattery(int64_t from, int64_t to) {
    Add({from, to, 0, Kind::Battery});
}

void ChargeSeries::AddAsleep(int64_t from, int64_t to) {
    Add({from, to, 0, Kind::Asleep});
}

void ChargeSeries::AddSessionStart(int64_t elapsed) {
    Add({elapsed, elapsed, 0, Kind::SessionStart});
}
