// Which of a session's long gaps between two reports the machine slept
// through. The monitor says so itself where it can: it shows battery times
// on battery once they are known, and when the machine wakes it forgets
// its draw and holds the times back for about ten seconds, so the first
// report after a wake shows none. A long gap after a report with times,
// ended by a report without them, is a wake; ended by one with times, the
// machine was awake. Where the log can't show that (the report before the
// gap had no times, the gap ends with the charger plugged in, or the log
// comes from a monitor that doesn't hold its times back at a wake), the
// gap is judged by the session's own pace awake: asleep where that pace
// would have lost several times what the charge fell.
#ifndef TOLVANE_REPORT_FIGURES_SLEEP_GAPS_H
#define TOLVANE_REPORT_FIGURES_SLEEP_GAPS_H

#include <stdint.h>

#include <vector>

#include "report/figures/session.h"

// A gap shorter than this is never sleep. An awake monitor drops its times
// too, two minutes after a gauge stops giving its draw (in seven real
// discharges, 63 s after the report before), and a gap that short with
// times on both sides is the time between two reports of a slow drain:
// a nap shorter than this counts as time awake.
const int64_t kShortestSleep = 15 * 60;

struct ReportGap {
    // How the gap can be told: by the monitor's wake, as awake, or only by
    // the charge.
    enum class Kind { Wake, Awake, Judged };
    SleepGap span;
    Kind kind;
    bool asleep;
};

// Marks the gaps slept through: every wake, and each judged gap that the
// pace awake (the charge lost over the time awake of the span where the
// charge is known, `knownSeconds` with `knownFall` points lost, sleep
// left out) says was sleep, until no more are found.
void FindSleeps(std::vector<ReportGap>* gaps, int64_t knownSeconds, int knownFall);

#endif
