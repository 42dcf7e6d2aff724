// A machine's sleeps on battery, each as the sessions found it: how many,
// how long in all, the latest ones for the tables and the page, and what
// they cost. A night on mains is no sleep on battery and costs nothing.
#ifndef TOLVANE_REPORT_FIGURES_SLEEP_LOG_H
#define TOLVANE_REPORT_FIGURES_SLEEP_LOG_H

#include <stddef.h>
#include <stdint.h>

#include <deque>
#include <optional>

#include "report/figures/session.h"

// The drain asleep in percent an hour, where the charge fell a point or
// more; none where it fell less (it shows in steps of a point).
std::optional<double> SleepDrain(const SleepGap& sleep);
// The most the drain asleep can have been where the charge fell less than
// a point: a point over the time asleep.
double SleepDrainBound(const SleepGap& sleep);
// A sleep of 10 minutes or more that drained faster than 2 %/h: a suspend
// that keeps too much awake (people judge a suspend broken by that).
bool DrainedFast(const SleepGap& sleep);

class SleepLog {
public:
    // The tables and the page list the latest ones; the CSV lists all.
    static constexpr size_t kKept = 200;

    void OnSession(const Session& session);

    int64_t Count() const { return count_; }
    int64_t Seconds() const { return seconds_; }
    int64_t FastCount() const { return fast_; }
    const std::deque<SleepGap>& Latest() const { return latest_; }
    // The median drain asleep of the sleeps kept whose charge is known on
    // both sides, one that lost no point counting as 0; none without such.
    std::optional<double> MedianDrain() const;

private:
    int64_t count_ = 0;
    int64_t seconds_ = 0;
    int64_t fast_ = 0;
    std::deque<SleepGap> latest_;
};

#endif
