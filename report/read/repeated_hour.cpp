#include "report/read/repeated_hour.h"

namespace {

bool ReadTwice(const Report& report) {
    return report.time.later != report.time.earlier;
}

}  // namespace

void RepeatedHour::OnReport(const Report& report) {
    if (!ReadTwice(report)) {
        if (!held_.empty()) {
            Settle(&report.time.instant);
        }
        Pass(report);
        return;
    }
    held_.push_back({report, false});
    if (held_.size() >= kMaxHeld) {
        Settle(nullptr);
    }
}

void RepeatedHour::OnRunEnd() {
    if (held_.empty()) {
        next_->OnRunEnd();
        return;
    }
    held_.push_back({Report(), true});
    if (held_.size() >= kMaxHeld) {
        Settle(nullptr);
    }
}

void RepeatedHour::Finish() {
    if (!held_.empty()) {
        Settle(nullptr);
    }
}

void RepeatedHour::Pass(const Report& report) {
    next_->OnReport(report);
    passed_ = true;
    lastPassed_ = report.time.instant;
}

// The reports held are 0 to n-1. The hour lies before report k, for a k
// from 0 to n (n: after the last): those before k take their earlier
// reading, the others their later one.
void RepeatedHour::Settle(const int64_t* next) {
    std::vector<Report*> reports;
    for (Held& held : held_) {
        if (!held.runEnd) {
            reports.push_back(&held.report);
        }
    }
    size_t n = reports.size();
    auto earlier = [&](size_t i) { return reports[i]->time.earlier; };
    auto later = [&](size_t i) { return reports[i]->time.later; };
    const int64_t before = passed_ ? lastPassed_ : INT64_MIN;
    const int64_t after = next ? *next : INT64_MAX;
    // The earlier readings of the first `inOrder` reports run in order from
    // the last report handed on; the later readings of those from
    // `fromLater` on run in order up to the next one.
    size_t inOrder = 0;
    while (inOrder < n && earlier(inOrder) >= (inOrder == 0 ? before : earlier(inOrder - 1))) {
        inOrder++;
    }
    size_t fromLater = n;
    while (fromLater > 0 && later(fromLater - 1) <= (fromLater == n ? after : later(fromLater))) {
        fromLater--;
    }
    // Of the places that keep every time in order, the one whose stretch is
    // longest as the clock shows it (a stretch the log doesn't bound is
    // longer than any); on a tie the later place, as the order would read.
    size_t best = n + 1;
    int64_t longest = INT64_MIN;
    for (size_t k = inOrder + 1; k-- > fromLater;) {
        if ((k == 0 ? before : earlier(k - 1)) > (k == n ? after : later(k))) {
            continue;
        }
        int64_t stretch;
        if (k == 0) {
            stretch = passed_ ? earlier(0) - lastPassed_ : INT64_MAX;
        } else if (k == n) {
            stretch = next ? *next - later(n - 1) : INT64_MAX;
        } else {
            stretch = earlier(k) - earlier(k - 1);
        }
        if (stretch > longest) {
            longest = stretch;
            best = k;
        }
    }
    // Where no place keeps the times in order (a clock set back as well),
    // they stay as the log's order read them.
    if (best <= n) {
        for (size_t i = 0; i < n; i++) {
            reports[i]->time.instant = i < best ? earlier(i) : later(i);
        }
    }
    std::vector<Held> held;
    held.swap(held_);
    for (const Held& item : held) {
        if (item.runEnd) {
            next_->OnRunEnd();
        } else {
            Pass(item.report);
        }
    }
}
