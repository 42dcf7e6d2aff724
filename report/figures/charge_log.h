// A machine's charges: how many, the latest ones for the tables and the
// page, and how fast it charges now against its first days, so that a
// charger or a battery that charges slower shows.
#ifndef TOLVANE_REPORT_FIGURES_CHARGE_LOG_H
#define TOLVANE_REPORT_FIGURES_CHARGE_LOG_H

#include <stddef.h>
#include <stdint.h>

#include <deque>
#include <optional>
#include <vector>

#include "report/figures/charges.h"

class ChargeLog {
public:
    // The tables and the page list the latest ones; the CSV lists all.
    static constexpr size_t kKept = 200;

    void OnCharge(const Charge& charge);

    int64_t Count() const { return count_; }
    const std::deque<Charge>& Latest() const { return latest_; }
    // The median rate of the charges kept.
    std::optional<double> MedianRate() const;
    // The median rate of the charges of the last 30 days against that of
    // the first 30, in percent (negative: slower now), where 60 days or
    // more lie between the first charge and the last.
    std::optional<double> RateChange() const;

private:
    int64_t count_ = 0;
    std::deque<Charge> latest_;
    int64_t firstAt_ = INT64_MIN;  // the instant of the first charge with a rate
    std::vector<double> firstRates_;
};

#endif
