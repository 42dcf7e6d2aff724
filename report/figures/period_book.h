// Figures kept per day, in a bounded number of periods: when there are
// too many, the older half is folded into stretches twice as long as the
// shortest among them (days into weeks, weeks into fortnights...), from
// the oldest on, so a log of years costs what one of months does. A
// Period has `firstDay` (a day number, see DaysFromCivil), `days`, and
// Add(other), which takes another period's figures into its own.
#ifndef TOLVANE_REPORT_FIGURES_PERIOD_BOOK_H
#define TOLVANE_REPORT_FIGURES_PERIOD_BOOK_H

#include <stddef.h>
#include <stdint.h>

#include <algorithm>
#include <iterator>
#include <map>

// The first day of the stretch of `days` that holds `day`: weeks and longer
// stretches start on Mondays (1970-01-05, day 4, was one).
inline int64_t AlignedTo(int64_t day, int days) {
    const int64_t kMonday = 4;
    if (days == 1) {
        return day;
    }
    int64_t offset = day - kMonday;
    return kMonday + (offset >= 0 ? offset / days : (offset - days + 1) / days) * days;
}

template <typename Period>
class PeriodBook {
public:
    static constexpr size_t kMaxPeriods = 800;

    // Lets `add` add to the period that holds `day` (a new one of a day
    // where none does), then folds where there are too many.
    template <typename Add>
    void Update(int64_t day, Add add) {
        auto at = periods_.upper_bound(day);
        if (at == periods_.begin() ||
            std::prev(at)->second.firstDay + std::prev(at)->second.days <= day) {
            at = periods_.emplace(day, Period()).first;
            at->second.firstDay = day;
        } else {
            --at;
        }
        add(&at->second);
        if (periods_.size() > kMaxPeriods) {
            Fold();
        }
    }
    const std::map<int64_t, Period>& Periods() const { return periods_; }

private:
    void Fold() {
        while (periods_.size() > kMaxPeriods / 2 + kMaxPeriods / 4) {
            size_t older = periods_.size() / 2;
            int shortest = INT32_MAX;
            auto it = periods_.begin();
            for (size_t i = 0; i < older; i++, ++it) {
                shortest = std::min(shortest, it->second.days);
            }
            int days = shortest == 1 ? 7 : shortest * 2;
            std::map<int64_t, Period> folded;
            it = periods_.begin();
            for (size_t i = 0; i < older; i++) {
                int width = std::max(it->second.days, days);
                int64_t first = AlignedTo(it->second.firstDay, width);
                Period& into = folded[first];
                into.firstDay = first;
                into.days = width;
                into.Add(it->second);
                it = periods_.erase(it);
            }
            periods_.insert(folded.begin(), folded.end());
        }
    }

    std::map<int64_t, Period> periods_;  // by first day
};

#endif
