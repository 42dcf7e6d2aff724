#include "report/figures/charge_log.h"

#include "report/figures/sessions.h"

namespace {

const int64_t kThirtyDays = 30 * 86400;
const size_t kMaxFirstRates = 4096;

}  // namespace

void ChargeLog::OnCharge(const Charge& charge) {
    count_++;
    latest_.push_back(charge);
    if (latest_.size() > kKept) {
        latest_.pop_front();
    }
    if (charge.percentPerHour) {
        if (firstAt_ == INT64_MIN) {
            firstAt_ = charge.end.instant;
        }
        if (charge.end.instant - firstAt_ < kThirtyDays && firstRates_.size() < kMaxFirstRates) {
            firstRates_.push_back(*charge.percentPerHour);
        }
    }
}

std::optional<double> ChargeLog::MedianRate() const {
    std::vector<double> rates;
    for (const Charge& charge : latest_) {
        if (charge.percentPerHour) {
            rates.push_back(*charge.percentPerHour);
        }
    }
    return Median(&rates);
}

std::optional<double> ChargeLog::RateChange() const {
    if (firstAt_ == INT64_MIN || latest_.back().end.instant - firstAt_ < 2 * kThirtyDays) {
        return std::nullopt;
    }
    std::vector<double> first = firstRates_, last;
    for (auto it = latest_.rbegin(); it != latest_.rend(); ++it) {
        if (latest_.back().end.instant - it->end.instant >= kThirtyDays) {
            break;
        }
        if (it->percentPerHour) {
            last.push_back(*it->percentPerHour);
        }
    }
    std::optional<double> before = Median(&first), now = Median(&last);
    if (!before || !now || !(*before > 0)) {
        return std::nullopt;
    }
    return (*now / *before - 1) * 100;
}
