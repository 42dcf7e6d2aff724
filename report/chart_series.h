// The charge over the whole span of a log, thinned to a fixed number of
// buckets of equal time as it is read: each bucket keeps its lowest and
// its highest charge (so no dip is lost) and how long it was on mains.
// When the span outgrows the buckets, neighbours merge and each covers
// twice the time, so a year of reports costs what a day does.
#ifndef TOLVANE_REPORT_CHART_SERIES_H
#define TOLVANE_REPORT_CHART_SERIES_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

struct ChargeBucket {
    bool any = false;        // holds a charge
    bool startsRun = false;  // its first charge begins a run: no line from the bucket before
    int low = 0;
    int high = 0;
    int64_t lowAt = 0;  // elapsed seconds of the lowest and the highest charge
    int64_t highAt = 0;
    double mainsSeconds = 0;
};

class ChargeSeries {
public:
    static const size_t kBuckets = 720;

    // `origin`: the elapsed seconds of the first report, where bucket 0 begins.
    void Start(int64_t origin);
    void AddCharge(int64_t elapsed, int charge, bool startsRun);
    void AddMains(int64_t from, int64_t to);

    int64_t Origin() const { return origin_; }
    int64_t Width() const { return width_; }  // seconds per bucket
    const std::vector<ChargeBucket>& Buckets() const { return buckets_; }

private:
    size_t Index(int64_t elapsed);

    int64_t origin_ = 0;
    int64_t width_ = 1;
    std::vector<ChargeBucket> buckets_;
};

#endif
