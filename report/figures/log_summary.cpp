#include "report/figures/log_summary.h"

#include "report/figures/sessions.h"

namespace {

const int64_t kThirtyDays = 30 * 86400;
const size_t kMaxFirstDrains = 4096;

}  // namespace

void LogSummary::OnReport(const Report& report) {
    if (reports_ == 0) {
        first_ = report.time;
        if (charts_) {
            charge_.Start(report.time.elapsed);
        }
    }
    reports_++;
    last_ = report.time;
    bool startsRun = !inRun_;
    if (startsRun) {
        runs_++;
    } else if (previous_.source == PowerSource::Mains) {
        // From a report on mains to the next one, it was on mains.
        mainsSeconds_ += report.time.elapsed - previous_.time.elapsed;
        if (charts_) {
            charge_.AddMains(previous_.time.elapsed, report.time.elapsed);
        }
    } else if (charts_ && previous_.source == PowerSource::Battery) {
        charge_.AddBattery(previous_.time.elapsed, report.time.elapsed);
    }
    if (charts_ && report.charge >= 0) {
        charge_.AddCharge(report.time.elapsed, report.charge, startsRun);
    }
    inRun_ = true;
    previous_ = report;
}

void LogSummary::OnRunEnd() {
    inRun_ = false;
}

void LogSummary::OnSession(const Session& session) {
    sessionCount_++;
    batterySeconds_ += session.seconds - session.asleepSeconds;
    asleepSeconds_ += session.asleepSeconds;
    if (charts_) {
        charge_.AddSessionStart(session.start.elapsed);
        for (const SleepGap& sleep : session.sleeps) {
            charge_.BreakAt(sleep.to);
            charge_.AddAsleep(sleep.from, sleep.to);
        }
        for (const EstimatePoint& point : session.estimates) {
            estimates_.Add(point);
        }
    }
    if (session.fullRuntimeSeconds) {
        drain_.Book(session);
        if (firstSessionAt_ == INT64_MIN) {
            firstSessionAt_ = session.start.instant;
        }
        if (session.start.instant - firstSessionAt_ < kThirtyDays &&
            firstDrains_.size() < kMaxFirstDrains) {
            firstDrains_.push_back(*session.percentPerHour);
        }
    }
    sessions_.push_back(session);
    sessions_.back().estimates.clear();
    sessions_.back().estimates.shrink_to_fit();
    sessions_.back().sleeps.clear();
    sessions_.back().sleeps.shrink_to_fit();
    if (sessions_.size() > kKeptSessions) {
        sessions_.pop_front();
    }
}

std::optional<Drain> LogSummary::FirstDays() const {
    std::vector<double> drains = firstDrains_;
    std::optional<double> median = Median(&drains);
    if (!median || !(*median > 0)) {
        return std::nullopt;
    }
    return DrainOf(static_cast<int>(firstDrains_.size()), *median, 3600);
}

std::optional<Drain> LogSummary::LastDays() const {
    std::vector<const Session*> recent;
    for (auto it = sessions_.rbegin(); it != sessions_.rend(); ++it) {
        if (sessions_.back().start.instant - it->start.instant >= kThirtyDays) {
            break;
        }
        recent.push_back(&*it);
    }
    return MedianDrain(recent);
}

double LogSummary::SessionSpanDays() const {
    if (firstSessionAt_ == INT64_MIN || sessions_.empty()) {
        return 0;
    }
    return static_cast<double>(sessions_.back().start.instant - firstSessionAt_) / 86400;
}

std::optional<double> LogSummary::MedianEstimateError() const {
    std::vector<double> errors;
    for (const Session& session : sessions_) {
        if (session.estimateErrorPercent) {
            errors.push_back(*session.estimateErrorPercent);
        }
    }
    return Median(&errors);
}
