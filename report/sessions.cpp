#include "report/sessions.h"

#include <algorithm>

void SessionTracker::OnReport(const Report& report) {
    if (report.source == PowerSource::Battery) {
        if (!open_) {
            open_ = true;
            session_ = Session();
            session_.start = report.time;
            samples_.Clear();
        }
        lastOnBattery_ = report.time;
        if (report.charge >= 0) {
            if (session_.fromPercent < 0) {
                session_.fromPercent = report.charge;
            }
            session_.toPercent = report.charge;
            if (report.remaining >= 0) {
                samples_.Add({report.time.elapsed, report.charge, report.remaining});
            }
        }
    } else if (report.source == PowerSource::Mains && open_) {
        Close(report.time, true);
    }
    next_->OnReport(report);
}

void SessionTracker::OnRunEnd() {
    if (open_) {
        Close(lastOnBattery_, false);
    }
    next_->OnRunEnd();
}

void SessionTracker::Close(const LogTime& end, bool onMains) {
    open_ = false;
    Session& session = session_;
    session.end = end;
    session.endedOnMains = onMains;
    session.seconds = end.elapsed - session.start.elapsed;
    // A charge that rose on battery (a battery swapped, a weak charger) gives
    // no drain: a negative one would pass for a figure.
    if (session.fromPercent >= 0 && session.fromPercent >= session.toPercent &&
        session.seconds > 0) {
        double fell = session.fromPercent - session.toPercent;
        session.percentPerHour = fell * 3600 / session.seconds;
        if (fell >= 2) {
            session.fullRuntimeSeconds = 100 * session.seconds / fell;
        }
    }
    // Each remaining time R shown at t with c % against the one the session
    // bore out: at its own pace the charge would have lasted
    // c x (T - t) / (c - e). Only where the charge fell by 5 points or more
    // after the report, so that one percent step more or less moves the
    // figure by a fifth at most.
    std::vector<double> errors;
    int endCharge = session.toPercent;
    for (const Sample& sample : samples_.Items()) {
        int fell = sample.charge - endCharge;
        int64_t left = end.elapsed - sample.elapsed;
        if (endCharge < 0 || fell < 5 || left <= 0) {
            continue;
        }
        double realised = static_cast<double>(sample.charge) * left / fell;
        errors.push_back(sample.remaining / realised - 1);
        session.estimates.push_back({realised, static_cast<double>(sample.remaining)});
    }
    if (std::optional<double> median = Median(&errors)) {
        session.estimateErrorPercent = *median * 100;
    }
    next_->OnSession(session);
}

std::optional<double> Median(std::vector<double>* values) {
    if (values->empty()) {
        return std::nullopt;
    }
    size_t middle = values->size() / 2;
    std::nth_element(values->begin(), values->begin() + middle, values->end());
    double upper = (*values)[middle];
    if (values->size() % 2 == 1) {
        return upper;
    }
    double lower = *std::max_element(values->begin(), values->begin() + middle);
    return (lower + upper) / 2;
}
