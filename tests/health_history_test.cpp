// The history made of the health lines: a series per battery, a battery
// replaced as a series of its own, the summary's figures, bounded memory.
#include <gtest/gtest.h>

#include <string>

#include "report/figures/health_history.h"
#include "report/output/health_output.h"

// In battery_info_test.cpp, whose executable this file is part of.
BatteryInfo Info(const char* name, const char* model, std::optional<double> design,
                 std::optional<double> full, std::optional<double> health);

namespace {


const int64_t kDay = 86400;

void AddAt(HealthHistory* history, int64_t day, const BatteryInfo& info) {
    history->Add(day * kDay, CivilFromSeconds(day * kDay + 3600), info);
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
}

}  // namespace
