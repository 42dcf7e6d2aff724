#include "report/figures/day_usage.h"

namespace {

const int64_t kDay = 86400;
// A stretch between two reports longer than this (a clock set right after
// years, or set wrong) is no day's use: it is left out of the days rather
// than fill a year or more of them.
const int64_t kLongestStretch = 400 * kDay;

}  // namespace

void DayUsage::Add(const DayUsage& other) {
    battery += other.battery;
    asleep += other.asleep;
    mains += other.mains;
    unlogged += other.unlogged;
}

void UsageBook::OnReport(const Report& report) {
    if (report.source == PowerSource::Unknown) {
        return;  // as the sessions take it: no news of where the power comes from
    }
    if (hasPrevious_ && report.time.elapsed > previous_.time.elapsed) {
        Book(previous_.time, report.time.elapsed,
             !inRun_                                    ? &DayUsage::unlogged
             : previous_.source == PowerSource::Battery ? &DayUsage::battery
                                                        : &DayUsage::mains);
    }
    hasPrevious_ = inRun_ = true;
    previous_ = report;
}

void UsageBook::OnSession(const Session& session) {
    for (const SleepGap& sleep : session.sleeps) {
        Book(sleep.start, sleep.to, &DayUsage::battery, -1);
        Book(sleep.start, sleep.to, &DayUsage::asleep);
    }
}

void UsageBook::Book(const LogTime& from, int64_t to, double DayUsage::*field, double sign) {
    if (to - from.elapsed > kLongestStretch) {
        return;
    }
    // Most stretches (one report to the next) lie within the day being
    // booked, by the log's clock as by the time elapsed: no calendar for them.
    if (hasToday_ && from.elapsed >= todayFrom_ && to <= todayTo_ &&
        from.shown.day == todayShown_.day && from.shown.month == todayShown_.month &&
        from.shown.year == todayShown_.year) {
        today_.*field += sign * static_cast<double>(to - from.elapsed);
        return;
    }
    int64_t clock = SecondsOf(from.shown);  // the local time `from` shows
    int64_t day = DayOf(from.shown);
    for (int64_t at = from.elapsed; at < to; day++) {
        int64_t dayEnds = at + (kDay - ((clock % kDay) + kDay) % kDay);
        int64_t until = std::min(to, dayEnds);
        if (!hasToday_ || today_.firstDay != day) {
            Flush();
            today_ = DayUsage();
            today_.firstDay = day;
            hasToday_ = true;
            todayFrom_ = dayEnds - kDay;
            todayTo_ = dayEnds;
            todayShown_ = CivilFromSeconds(clock);
        }
        today_.*field += sign * static_cast<double>(until - at);
        clock += until - at;
        at = until;
    }
}

void UsageBook::Flush() {
    if (hasToday_) {
        book_.Update(today_.firstDay, [&](DayUsage* day) { day->Add(today_); });
        hasToday_ = false;
    }
}

void UsageBook::Finish() {
    Flush();
}
