// The batteries' health as the outputs show it: lines for the terminal's
// summary, a section of the page, the fleet's Health cell.
#ifndef TOLVANE_REPORT_OUTPUT_HEALTH_OUTPUT_H
#define TOLVANE_REPORT_OUTPUT_HEALTH_OUTPUT_H

#include <optional>
#include <string>

#include "report/figures/health_history.h"
#include "report/figures/health_projection.h"

// Lines for the terminal summary: each battery's health first and latest,
// the change per 100 days (where its readings span 30 days or more), when
// it reaches 80 % (see ProjectionText), and
// how long a full charge lasts at `drainPercentPerHour` (the median drain
// of the last 30 days; none: no estimate), now and at design capacity, and
// the readings set aside. "" when the history is empty and none was set
// aside.
std::string HealthSummaryText(const HealthHistory& history,
                              std::optional<double> drainPercentPerHour);
// An HTML section: a heading, the full charge capacity against design over
// time as inline SVG (one line per battery), the same estimates and the
// readings set aside. "" when the history is empty and none was set aside.
std::string HealthHtmlSection(const HealthHistory& history,
                              std::optional<double> drainPercentPerHour);
// Where the battery is headed, e.g. "reaches 80 % about 2027-09 at -6.1
// points per 100 days, from 14 readings over 178 days", or why there is no
// date; "" without a plausible health.
std::string ProjectionText(const HealthProjection& projection);
// How many readings were set aside and why, one sentence; "" when none.
std::string SetAsideText(const HealthHistory& history);
// The latest health of the machine's batteries, e.g. "86.7%"; "" when none.
std::string LatestHealthText(const HealthHistory& history);
// How long a full charge lasts at that drain now and at design capacity,
// one sentence; "" without a drain to go by.
std::string HealthEstimateText(const HealthHistory& history,
                               std::optional<double> drainPercentPerHour);

#endif
