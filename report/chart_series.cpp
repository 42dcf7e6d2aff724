#include "report/chart_series.h"

#include <algorithm>

namespace {

ChargeBucket Merge(const ChargeBucket& first, const ChargeBucket& second) {
    ChargeBucket merged = first.any ? first : second;
    merged.mainsSeconds = first.mainsSeconds + second.mainsSeconds;
    if (first.any && second.any) {
        if (second.low < merged.low) {
            merged.low = second.low;
            merged.lowAt = second.lowAt;
        }
        if (second.high > merged.high) {
            merged.high = second.high;
            merged.highAt = second.highAt;
        }
    }
    return merged;
}

}  // namespace

void ChargeSeries::Start(int64_t origin) {
    origin_ = origin;
    width_ = 1;
    buckets_.clear();
}

size_t ChargeSeries::Index(int64_t elapsed) {
    int64_t offset = std::max<int64_t>(0, elapsed - origin_);
    while (offset / width_ >= static_cast<int64_t>(kBuckets)) {
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

void ChargeSeries::AddCharge(int64_t elapsed, int charge, bool startsRun) {
    ChargeBucket& bucket = buckets_[Index(elapsed)];
    if (!bucket.any) {
        bucket.any = true;
        bucket.startsRun = startsRun;
        bucket.low = bucket.high = charge;
        bucket.lowAt = bucket.highAt = elapsed;
    } else if (charge < bucket.low) {
        bucket.low = charge;
        bucket.lowAt = elapsed;
    } else if (charge > bucket.high) {
        bucket.high = charge;
        bucket.highAt = elapsed;
    }
}

void ChargeSeries::AddMains(int64_t from, int64_t to) {
    if (to <= from) {
        return;
    }
    size_t last = Index(to);  // first, as it may merge buckets
    for (size_t i = Index(from); i <= last; i++) {
        int64_t begin = origin_ + static_cast<int64_t>(i) * width_;
        int64_t overlap = std::min(to, begin + width_) - std::max(from, begin);
        if (overlap > 0) {
            buckets_[i].mainsSeconds += overlap;
        }
    }
}
