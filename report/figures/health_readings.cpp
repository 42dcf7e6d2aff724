#include "report/figures/health_readings.h"

#include <algorithm>
#include <utility>

namespace {

const int64_t kDay = 86400;

}  // namespace

bool HealthReadings::Vouched(int64_t instant) const {
    return reports_ && instant >= first_ - kDay && instant <= last_ + kDay;
}

void HealthReadings::OnReport(int64_t instant) {
    first_ = reports_ ? std::min(first_, instant) : instant;
    last_ = reports_ ? std::max(last_, instant) : instant;
    reports_ = true;
}

void HealthReadings::Add(int64_t instant, const CivilTime& shown, const BatteryInfo& info) {
    if (Vouched(instant)) {
        history_->Add(instant, shown, info);
        return;
    }
    held_.push_back({instant, shown, info});
    if (held_.size() >= kMaxHeld) {
        Judge();
    }
}

void HealthReadings::Finish() { Judge(); }

void HealthReadings::Judge() {
    std::vector<Reading> keep;
    for (Reading& reading : held_) {
        if (!reports_ || Vouched(reading.instant)) {
            keep.push_back(std::move(reading));
        } else {
            history_->SetAside(reading.instant < first_);
        }
    }
    held_.clear();
    std::stable_sort(keep.begin(), keep.end(),
                     [](const Reading& a, const Reading& b) { return a.instant < b.instant; });
    for (const Reading& reading : keep) {
        history_->Add(reading.instant, reading.shown, reading.info);
    }
}
