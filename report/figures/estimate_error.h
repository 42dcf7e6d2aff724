// How honest the remaining times a session showed were: each against the
// time the charge really lasted at the pace the session kept after it.
#ifndef TOLVANE_REPORT_FIGURES_ESTIMATE_ERROR_H
#define TOLVANE_REPORT_FIGURES_ESTIMATE_ERROR_H

#include <stdint.h>

#include <vector>

#include "report/figures/session.h"

// A remaining time a report showed, and the charge it showed with it.
struct EstimateSample {
    int64_t elapsed;
    int charge;
    int64_t remaining;
    int64_t stepAt;  // when the charge stepped to `charge`, where the log saw it; else -1
};

// The charge seen stepping down one point: at `at` it was charge + 0.5.
struct ChargeStep {
    int64_t at;
    int charge;
};

// Fills the session's estimate points and their median error from the
// samples and the steps seen (both in the order of time), on the time
// awake: the session's sleeps are left out.
void MeasureEstimates(const std::vector<EstimateSample>& samples,
                      const std::vector<ChargeStep>& steps, Session* session);

#endif
