// The charge over the whole span of a log, thinned to a fixed number of
// buckets of equal time as it is read: each bucket keeps its lowest and
// its highest charge (so no dip is lost), how long it was on mains and on
// battery, and how many sessions on battery began in it. When the span
// outgrows the buckets, neighbours merge and each covers twice the time,
// so a year of reports costs what a day does. A machine with few reports
// (a fleet's journal may hold thousands) keeps only what it was given,
// and makes its buckets from that when they are drawn.
#ifndef TOLVANE_REPORT_FIGURES_CHART_SERIES_H
#define TOLVANE_REPORT_FIGURES_CHART_SERIES_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "report/figures/charge_bucket.h"

class ChargeSeries {
public:
    static const size_t kBuckets = 720;
    // Two reports this far apart whose charge differs by this many points
    // or more missed the steps between them (the monitor reports each
    // one): the machine slept or the monitor was not running, so the line
    // breaks there rather than draw a pace nobody saw.
    static const int64_t kQuietSeconds = 15 * 60;
    static const int kMissedSteps = 2;

    // `origin`: the elapsed seconds of the first report, where bucket 0 begins.
    void Start(int64_t origin);
    void AddCharge(int64_t elapsed, int charge, bool startsRun);
    void AddMains(int64_t from, int64_t to);
    void AddBattery(int64_t from, int64_t to);
    void AddAsleep(int64_t from, int64_t to);  // a sleep on battery
    void AddSessionStart(int64_t elapsed);
    // The first charge at or after `elapsed` begins a new line: for a gap
    // found to be sleep. A bucket that already holds an earlier charge
    // can't be split, and keeps its line.
    void BreakAt(int64_t elapsed);

    int64_t Origin() const { return origin_; }
    // Seconds per bucket, and the buckets; worked out from what the series
    // was given where it has kept that rather than buckets.
    int64_t Width() const;
    std::vector<ChargeBucket> Buckets() const;

private:
    // What the series was given, kept while that takes less room than the
    // buckets would.
    enum class Kind : char { Charge, ChargeStartingRun, Mains, Battery, Asleep, SessionStart, Break };
    struct Given {
        int64_t from;
        int64_t to;
        int charge;
        Kind kind;
    };
    static const size_t kMaxGiven = 512;

    void Add(const Given& given);
    void Apply(const Given& given);
    void MakeBuckets();
    size_t Index(int64_t elapsed);
    void AddSpan(int64_t from, int64_t to, Kind kind);
    void AddChargeToBuckets(int64_t elapsed, int charge, bool startsRun);

    std::vector<Given> given_;
    bool bucketed_ = false;
    int64_t origin_ = 0;
    int64_t width_ = 1;
    std::vector<ChargeBucket> buckets_;
    bool hasLast_ = false;  // the latest charge, for gaps in the news
    int64_t lastAt_ = 0;
    int lastCharge_ = 0;
};

#endif
