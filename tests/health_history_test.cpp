// The history made of the health lines: a series per battery, a battery
// replaced as a series of its own, the summary's figures, bounded memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "report/figures/health_history.h"
#include "report/figures/health_readings.h"
#include "report/figures/machine_log.h"
#include "report/output/health_output.h"
#include "report/read/line_splitter.h"
#include "report/read/log_parser.h"

// In battery_info_test.cpp, whose executable this file is part of.
BatteryInfo Info(const char* name, const char* model, std::optional<double> design,
                 std::optional<double> full, std::optional<double> health);

namespace {


const int64_t kDay = 86400;

void AddAt(HealthHistory* history, int64_t day, const BatteryInfo& info) {
    history->Add(day * kDay, CivilFromSeconds(day * kDay + 3600), info);
}

BatteryInfo Counted(BatteryInfo info, int64_t cycles) {
    info.cycleCount = cycles;
    return info;
}

// Each of `parts` found in `text` (or, with `in` false, none).
void ExpectParts(const std::string& text, const std::vector<std::string>& parts,
                 const char* what, bool in = true) {
    for (const std::string& part : parts) {
        EXPECT_EQ(text.find(part) != std::string::npos, in) << what << ": " << part << "\nin\n"
                                                             << text;
    }
}

// Readings of 2026 in the order read (days from January 1st), against the
// series they make and the figures shown of them.
TEST(BatteryHealth, ReadingsGiveTheirSeriesAndFigures) {
    struct Reading {
        int64_t day;
        BatteryInfo info;
    };
    struct Case {
        const char* what;
        std::vector<Reading> readings;
        size_t series;
        std::vector<std::string> text, page, neither;  // in the summary (at 10 %/h), the page
        std::string latest;                            // the fleet's Health cell
    };
    const BatteryInfo broken = Info("BAT1", "AP18", 65, 969, 1488.3);  // as a line once gave it
    auto series = [](const std::vector<std::pair<int64_t, double>>& healths) {
        std::vector<Reading> readings;
        for (const auto& [day, health] : healths) {
            readings.push_back({day, Info("BAT0", "A", 50, health / 2, health)});
        }
        return readings;
    };
    const Case cases[] = {
        {"the first battery, wearing: not a new battery",
         {{0, Info("BAT0", "A", 50, 50, 100)}, {40, Info("BAT0", "A", 50, 47.5, 95)}}, 1,
         {"  BAT0 (A, 50.00 Wh design):\n    100.0 % on 2026-01-01, 95.0 % on 2026-02-10 (2 "
          "readings): -12.5 points per 100 days\n",
          "at design capacity it would last 10h 32m."},
         {}, {"a new battery"}, "95.0%"},
        {"the same model with another design capacity: a new battery",
         {{0, Info("BAT0", "A", 50, 50, 100)},
          {50, Info("BAT0", "A", 49.99, 49, 98)},
          {80, Info("BAT0", "A", 49.99, 48.5, 97)}},
         2,
         {"  BAT0 (A, 49.99 Wh design), a new battery from 2026-02-20:\n    98.0 % on 2026-02-20, "
          "97.0 % on 2026-03-22 (2 readings): -3.3 points per 100 days\n"},
         {}, {}, "97.0%"},
        // The old pack's reading of day 48 comes last (another file) and lies
        // nearer the new pack's readings, but counts the old one's cycles.
        {"the same model put in again: its cycle count falls, a new pack",
         {{0, Counted(Info("BAT0", "A", 50, 35, 70), 547)},
          {40, Counted(Info("BAT0", "A", 50, 34.5, 69), 550)},
          {45, Counted(Info("BAT0", "A", 50, 34.5, 69), 550)},
          {50, Counted(Info("BAT0", "A", 50, 49.5, 99), 3)},
          {100, Counted(Info("BAT0", "A", 50, 49, 98), 20)},
          {48, Counted(Info("BAT0", "A", 50, 34.25, 68.5), 552)}},
         2,
         {"  BAT0 (A, 50.00 Wh design):\n    70.0 % on 2026-01-01, 68.5 % on 2026-02-18 (4 "
          "readings, 552 cycles): -3.1 points per 100 days\n",
          "  BAT0 (A, 50.00 Wh design), a new battery from 2026-02-20:\n    99.0 % on "
          "2026-02-20, 98.0 % on 2026-04-11 (2 readings, 20 cycles): -2.0 points per 100 days\n"},
         {}, {"+"}, "98.0%"},
        {"a broken gauge's 1488.3 %: not plausible, in no figure",
         {{0, broken}, {40, Counted(broken, 12)}}, 1,
         {"  BAT1 (AP18, 65.00 Wh design):\n    not plausible (969.00 Wh full against 65.00 Wh "
          "design) on 2026-01-01, not plausible (969.00 Wh full against 65.00 Wh design) on "
          "2026-02-10 (2 readings, 12 cycles)\n"},
         {"BAT1 (AP18): its latest reading not plausible (969.00 Wh full against 65.00 Wh "
          "design).",
          ">105%<"},
         {"at design capacity", "a new battery may", ">1000%<", "80 % about"}, ""},
        {"a broken gauge beside a good battery: the machine's health is the good one's",
         {{40, Info("BAT0", "A", 50, 40, 80)}, {40, Info("BAT1", "AP18", 65, 969, std::nullopt)}},
         2, {"at design capacity it would last 12h 30m."},
         {"Health at the latest reading: 80.0 %."}, {}, "80.0%"},
        {"health alone, one not plausible: the percent scale stays near 100",
         {{0, Info("BAT0", "", std::nullopt, std::nullopt, 80)},
          {0, Info("BAT2", "", std::nullopt, std::nullopt, 1488.3)}},
         2, {"    not plausible (1488.3 %) on 2026-01-01 (1 reading)\n"}, {">105%<"}, {">1000%<"},
         "80.0%"},
        {"the first reading not plausible: no change per 100 days",
         {{0, Info("BAT0", "A", 50, 5, std::nullopt)}, {40, Info("BAT0", "A", 50, 45, 90)}}, 1,
         {"not plausible (5.00 Wh full against 50.00 Wh design) on 2026-01-01, 90.0 % on "
          "2026-02-10 (2 readings)\n"},
         {"BAT0 (A): some of its readings not plausible."}, {}, "90.0%"},
        {"exactly 100 %: no note", {{0, Info("BAT0", "A", 50, 50, 100)}}, 1, {},
         {"Health at the latest reading: 100.0 %.</p>"}, {}, "100.0%"},
        {"a health of 150 % from the capacities: plausible",
         {{0, Info("BAT0", "A", 65, 97.5, std::nullopt)}}, 1, {"150.0 % on 2026-01-01 (1 reading)"},
         {"Health at the latest reading: 150.0 % (a new battery may read a little over 100 %)."},
         {}, "150.0%"},
        // Where the health is headed: from the latest reading at the least
        // squares rate of the last 180 days (the first reading of day 0
        // left out; the window's first, high, does not set the rate alone).
        // Over 310.9 days of 902 units, 75 % to 105 % over 220 units.
        {"falling: reaches 80 % on 2026-11-07",
         series({{0, 99}, {30, 96.5}, {60, 92}, {90, 91}, {120, 89.2}, {150, 88.4}, {180, 86.9},
                 {210, 85.5}}),
         1, {"    reaches 80 % about 2026-11 at -5.5 points per 100 days, from 7 readings over 180 "
             "days\n"},
         {"<line class=\"projection\" x1=\"657.3\" y1=\"155\" x2=\"950\" y2=\"195.3\"",
          ">75%</text>", ">105%</text>", "BAT0 (A): reaches 80 % about 2026-11"},
         {">0%</text>", ">110%</text>"}, "85.5%"},
        {"flat: a fall of 0.8 points over 180 days is within a gauge's wander",
         series({{0, 90.5}, {60, 90}, {120, 90.1}, {180, 89.6}}), 1,
         {"    no date for 80 %: about flat at -0.4 points per 100 days, from 4 readings over 180 "
          "days\n"},
         {}, {"class=\"projection\""}, "89.6%"},
        {"rising", series({{0, 85}, {50, 85.5}, {100, 86.4}, {150, 87}}), 1,
         {"    no date for 80 %: rising at +1.4 points per 100 days, from 4 readings over 150 "
          "days\n"},
         {}, {"class=\"projection\""}, "87.0%"},
        {"under 90 days", series({{0, 95}, {89, 85}}), 1,
         {"    no date for 80 % yet: its readings span 89 days, 90 are needed\n"}, {},
         {"class=\"projection\""}, "85.0%"},
        {"not within 20 years", series({{0, 141.2}, {90, 140.6}, {180, 140}}), 1,
         {"    not at 80 % within 20 years at -0.7 points per 100 days, from 3 readings over 180 "
          "days\n"},
         {}, {"class=\"projection\""}, "140.0%"},
        // At or below 80 % from day 100 on; a reading above it before.
        {"below 80 %",
         series({{0, 84}, {40, 81}, {60, 80}, {80, 81.5}, {100, 79.4}, {120, 80}, {140, 78.9}}),
         1, {"    below 80 % since 2026-04-11\n"}, {"BAT0 (A): below 80 % since 2026-04-11."},
         {"class=\"projection\""}, "78.9%"},
    };
    const int64_t start = DaysFromCivil(2026, 1, 1);
    for (const Case& c : cases) {
        HealthHistory history;
        for (const Reading& reading : c.readings) {
            AddAt(&history, start + reading.day, reading.info);
        }
        std::string text = HealthSummaryText(history, 10.0);
        std::string page = HealthHtmlSection(history, 10.0);
        EXPECT_EQ(history.Series().size(), c.series) << c.what;
        ExpectParts(text, c.text, c.what);
        ExpectParts(page, c.page, c.what);
        ExpectParts(text + page, c.neither, c.what, false);
        EXPECT_EQ(LatestHealthText(history), c.latest) << c.what;
    }
}

// Reports ('r') and readings ('h') at their seconds, in the order read,
// against the readings kept and those set aside before and after.
TEST(BatteryHealth, ReadingsTheReportsVouchFor) {
    struct Case {
        const char* what;
        std::vector<std::pair<char, int64_t>> events;
        int64_t kept, before, after;
    };
    const int64_t y2026 = DaysFromCivil(2026, 12, 1) * kDay;
    const Case cases[] = {
        {"no report: every reading kept, however dated",
         {{'h', -3000000000}, {'h', 0}, {'h', 3000000000}}, 3, 0, 0},
        {"a day either side of the reports kept, a second more set aside",
         {{'r', 0}, {'r', 10 * kDay}, {'h', -kDay}, {'h', -kDay - 1}, {'h', 11 * kDay},
          {'h', 11 * kDay + 1}},
         2, 1, 1},
        {"readings before the first report wait for the reports",
         {{'h', 5 * kDay}, {'h', -30 * kDay}, {'r', 0}, {'r', 10 * kDay}}, 1, 1, 0},
        {"stamped 01/01/70 at boot, before the clock was set, in a log of 2026",
         {{'h', 12}, {'h', y2026 - 5}, {'r', y2026}, {'r', y2026 + 3600}}, 1, 1, 0},
    };
    for (const Case& c : cases) {
        HealthHistory history;
        HealthReadings readings(&history);
        for (const auto& [kind, at] : c.events) {
            if (kind == 'r') {
                readings.OnReport(at);
            } else {
                readings.Add(at, CivilFromSeconds(at), Info("BAT0", "A", 50, 40, 80));
            }
        }
        readings.Finish();
        int64_t kept = 0;
        for (const HealthSeries* series : history.Series()) {
            kept += series->readings;
        }
        EXPECT_EQ(kept, c.kept) << c.what;
        EXPECT_EQ(history.SetAsideBefore(), c.before) << c.what;
        EXPECT_EQ(history.SetAsideAfter(), c.after) << c.what;
    }
}

// Logs as tee keeps them, against their batteries' health in the summary
// (both) and on the page (`shown`).
TEST(BatteryHealth, LogsGiveTheirHealth) {
    const std::string boot = "01/01/70 00:00:12  Battery health: BAT0,,5B10,,57.00,49.41,86.7,312\n";
    const std::string noon = "12/01/26 12:00:00  Battery health: BAT0,,5B10,,57.00,49.99,87.7,320\n";
    const std::string reports = "12/01/26 08:00:01  Power source: Battery  Status: High, 90%\n"
                                "12/01/26 09:00:01  Power source: AC       Status: High, 80%\n";
    const struct {
        const char* what;
        std::string log;
        std::vector<std::string> shown, text;
    } cases[] = {
        {"a reading stamped at boot before the clock was set: set aside", boot + reports + noon,
         {"1 reading set aside, dated more than a day before the first report (a clock not set "
          "right?)."},
         {"    87.7 % on 2026-12-01 (1 reading, 320 cycles)\n"}},
        {"readings without reports: every one kept", boot + noon, {},
         {"    86.7 % on 1970-01-01, 87.7 % on 2026-12-01 (2 readings, 320 cycles)"}},
        {"a reading two days after the last report: set aside", reports + "12/03/26" + noon.substr(8),
         {"1 reading set aside, dated more than a day after the last report"},
         {"Battery health:\n  1 reading set aside"}},
    };
    for (const auto& c : cases) {
        MachineLogs logs(nullptr);
        LogParser parser(DateRange(), {}, &logs);
        LineSplitter splitter(&parser);
        splitter.Feed(c.log.data(), c.log.size());
        parser.Finish();
        ASSERT_EQ(logs.Machines().size(), 1u) << c.what;
        const HealthHistory& health = logs.Machines()[0]->Health();
        std::string text = HealthSummaryText(health, std::nullopt);
        ExpectParts(text, c.shown, c.what);
        ExpectParts(HealthHtmlSection(health, std::nullopt), c.shown, c.what);
        ExpectParts(text, c.text, c.what);
        ExpectParts(text, {"2070"}, c.what, false);
    }
}

TEST(BatteryHealth, HistoryPerBattery) {
    HealthHistory history;
    EXPECT_TRUE(history.Empty());
    EXPECT_EQ(HealthSummaryText(history, 10.0), "");
    EXPECT_EQ(HealthHtmlSection(history, 10.0), "");
    EXPECT_EQ(LatestHealthText(history), "");

    // 100 % to 95 % over 40 days, then another model in the same bay.
    const int64_t start = DaysFromCivil(2026, 1, 1);
    AddAt(&history, start, Info("BAT0", "<A>", 50, 50, 100));
    AddAt(&history, start + 20, Info("BAT0", "<A>", 50, std::nullopt, std::nullopt));  // no news
    AddAt(&history, start + 40, Info("BAT0", "<A>", 50, 47.5, 95));
    AddAt(&history, start + 50, Info("BAT0", "B", 40, 40.4, 101));
    AddAt(&history, start + 60, Info("BAT0", "B", 40, 32, 80));
    ASSERT_EQ(history.Series().size(), 2u);
    EXPECT_EQ(history.Series()[0]->readings, 2);
    ASSERT_EQ(history.Current().size(), 1u);
    EXPECT_EQ(history.Current()[0]->model, "B");
    EXPECT_EQ(LatestHealthText(history), "80.0%");

    std::string text = HealthSummaryText(history, 12.5);
    EXPECT_NE(text.find("100.0 % on 2026-01-01, 95.0 % on 2026-02-10 (2 readings): -12.5 points "
                        "per 100 days"),
              std::string::npos)
        << text;
    // The new battery: its own line, no change over its 10 days.
    EXPECT_NE(text.find("BAT0 (B, 40.00 Wh design), a new battery from 2026-02-20:\n    101.0 % on "
                        "2026-02-20, 80.0 % on 2026-03-02 (2 readings)\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("A full charge lasts 8h 00m at the median drain of the last 30 days "
                        "(12.5 %/h);\n  at design capacity it would last 10h 00m."),
              std::string::npos)
        << text;
    EXPECT_EQ(HealthSummaryText(history, std::nullopt).find("full charge lasts"),
              std::string::npos);

    std::string html = HealthHtmlSection(history, 12.5);
    EXPECT_NE(html.find("<svg id=\"capacity-chart\""), std::string::npos);
    EXPECT_EQ(html.find("<A>"), std::string::npos) << "the log's text must be escaped";
    EXPECT_NE(html.find("BAT0 (&lt;A&gt;)"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
}

TEST(BatteryHealth, HistoryStaysBoundedWhateverTheLog) {
    HealthHistory history;
    // Ten years of readings every ten minutes, slowly wearing.
    const int64_t readings = 10 * 365 * 144;
    for (int64_t i = 0; i < readings; i++) {
        double health = 100.0 - 30.0 * static_cast<double>(i) / readings;
        history.Add(i * 600, CivilFromSeconds(i * 600), Info("BAT0", "A", 50, health / 2, health));
    }
    ASSERT_EQ(history.Series().size(), 1u);
    const HealthSeries& series = *history.Series()[0];
    EXPECT_LE(series.points.Items().size(), HealthSeries::kPoints);
    EXPECT_EQ(series.readings, readings);
    EXPECT_EQ(series.latest.instant, (readings - 1) * 600);
    EXPECT_DOUBLE_EQ(*series.first.healthPercent, 100.0);
    // Names made of garbage: only the most recent few batteries are kept.
    for (int i = 0; i < 100; i++) {
        history.Add(readings * 600 + i, CivilFromSeconds(0),
                    Info(("X" + std::to_string(i)).c_str(), "", std::nullopt, 1, 50));
    }
    EXPECT_EQ(history.Series().size(), HealthHistory::kMaxSeries);
    EXPECT_EQ(history.Series().back()->name, "X99");
    EXPECT_LT(HealthHtmlSection(history, 10.0).size(), 200000u);

    // Readings after the reports, and readings without any: a bounded
    // number held at a time, every one set aside or kept.
    HealthHistory later, alone;
    HealthReadings afterReports(&later), withoutReports(&alone);
    afterReports.OnReport(0);
    size_t mostHeld = 0;
    for (int64_t i = 0; i < 5000; i++) {
        afterReports.Add(1000 * kDay + i, CivilFromSeconds(0), Info("BAT0", "A", 50, 40, 80));
        withoutReports.Add(i * 600, CivilFromSeconds(0), Info("BAT0", "A", 50, 40, 80));
        mostHeld = std::max({mostHeld, afterReports.Held(), withoutReports.Held()});
    }
    afterReports.Finish();
    withoutReports.Finish();
    EXPECT_LE(mostHeld, HealthReadings::kMaxHeld);
    EXPECT_EQ(later.SetAsideAfter(), 5000);
    ASSERT_EQ(alone.Series().size(), 1u);
    EXPECT_EQ(alone.Series()[0]->readings, 5000);
}

}  // namespace
