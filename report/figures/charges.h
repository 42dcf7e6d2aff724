// The charges: each stretch on mains in which the charge rose, how fast it
// rose over the part where chargers work fastest (20 to 80 %), and where
// it stopped: full, unplugged, or held below full by a charge limit (the
// firmware's or a power tool's). The monitor reports every step of the
// charge on mains as on battery, so each one's moment is known.
#ifndef TOLVANE_REPORT_FIGURES_CHARGES_H
#define TOLVANE_REPORT_FIGURES_CHARGES_H

#include <stdint.h>

#include <optional>
#include <string>

#include "report/read/log_types.h"

struct Charge {
    enum class Ended { Full, Unplugged, Held, Cut };
    LogTime start;  // the first report on mains
    LogTime end;    // full, unplugged, the charge reaching where it was held, or the last report
    int64_t seconds = 0;
    int fromPercent = -1;
    int toPercent = -1;  // the highest it reached
    // The rate over the part of 20 to 80 % the charge went through, or,
    // where it went through none of it, over all it went through: from
    // `rateFrom` to `rateTo` percent; none where that took less than 10
    // minutes.
    std::optional<double> percentPerHour;
    int rateFrom = -1;
    int rateTo = -1;
    std::optional<int64_t> seconds20To80;  // where it went from 20 % or less to 80 % or more
    Ended ended = Ended::Cut;
    int heldPercent = -1;  // where Held
};

// Where each machine's charges go as they end.
class ChargeSink {
public:
    virtual ~ChargeSink() = default;
    virtual void OnCharge(const Charge& charge) = 0;
};

// One machine's reports in, its charges out as each ends. A stretch that
// rose by less than 2 points (the top-ups of a full battery on mains) is
// no charge.
class ChargeTracker {
public:
    // The charge stayed at one value below 100 % on mains this long: held.
    static const int64_t kHeld = 30 * 60;

    explicit ChargeTracker(ChargeSink* sink) : sink_(sink) {}
    void OnReport(const Report& report);
    void OnRunEnd();

private:
    void Open(const Report& report);
    void Close(const LogTime& end, Charge::Ended ended);

    ChargeSink* sink_;
    bool open_ = false;
    Charge charge_;
    LogTime last_;          // the last report on mains
    LogTime highAt_;        // when the charge first reached its highest
    LogTime at20_, at80_;   // when it first reached 20 and 80 %
    bool seen20_ = false, seen80_ = false;
};

#endif
