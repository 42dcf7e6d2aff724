#include "report/figures/sleep_log.h"

#include <algorithm>
#include <vector>

#include "report/figures/sessions.h"

namespace {

const int64_t kNotableSleep = 10 * 60;
const double kFastDrain = 2.0;  // percent an hour

bool Known(const SleepGap& sleep) {
    return sleep.fromPercent >= 0 && sleep.toPercent >= 0 && sleep.to > sleep.from;
}

}  // namespace

std::optional<double> SleepDrain(const SleepGap& sleep) {
    if (!Known(sleep) || sleep.fell < 1) {
        return std::nullopt;
    }
    return sleep.fell * 3600.0 / static_cast<double>(sleep.to - sleep.from);
}

double SleepDrainBound(const SleepGap& sleep) {
    return 3600.0 / static_cast<double>(std::max<int64_t>(1, sleep.to - sleep.from));
}

bool DrainedFast(const SleepGap& sleep) {
    std::optional<double> drain = SleepDrain(sleep);
    return sleep.to - sleep.from >= kNotableSleep && drain && *drain > kFastDrain;
}

void SleepLog::OnSession(const Session& session) {
    for (const SleepGap& sleep : session.sleeps) {
        count_++;
        seconds_ += sleep.to - sleep.from;
        fast_ += DrainedFast(sleep);
        latest_.push_back(sleep);
        if (latest_.size() > kKept) {
            latest_.pop_front();
        }
    }
}

std::optional<double> SleepLog::MedianDrain() const {
    std::vector<double> drains;
    for (const SleepGap& sleep : latest_) {
        if (Known(sleep)) {
            drains.push_back(SleepDrain(sleep).value_or(0));
        }
    }
    return Median(&drains);
}
