// The installed batteries: power supply trees against the CSV they must
// give, the log line read back, the Windows driver's figures decoded.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "report/batteries/battery_info.h"
#include "report/output/battery_output.h"
#include "report/read/health_line.h"

#ifdef _WIN32
#include <windows.h>
#include <batclass.h>
#else
#include <sys/stat.h>
#endif

// A battery as a health line would carry it; also for health_history_test.cpp.
BatteryInfo Info(const char* name, const char* model, std::optional<double> design,
                 std::optional<double> full, std::optional<double> health) {
    BatteryInfo info;
    info.name = name;
    info.model = model;
    info.designWh = design;
    info.fullWh = full;
    info.healthPercent = health;
    return info;
}

namespace {

#ifndef _WIN32
struct Supply {
    std::string name;
    std::vector<std::pair<std::string, std::string>> files;
};

// A battery as most laptops show it, with the serial that must never show.
Supply Battery(const std::string& name, std::vector<std::pair<std::string, std::string>> files) {
    files.insert(files.begin(),
                 {{"type", "Battery\n"}, {"present", "1\n"}, {"serial_number", "SECRET-4711\n"}});
    return {name, files};
}

std::string MakeTree(const std::vector<Supply>& supplies) {
    std::string root = testing::TempDir() + "power_supply.XXXXXX";
    if (!mkdtemp(&root[0])) {
        ADD_FAILURE() << "mkdtemp " << root;
        return root;
    }
    for (const Supply& supply : supplies) {
        std::string directory = root + "/" + supply.name;
        mkdir(directory.c_str(), 0755);
        for (const auto& [file, text] : supply.files) {
            FILE* out = fopen((directory + "/" + file).c_str(), "wb");
            EXPECT_TRUE(out) << directory << "/" << file;
            if (out) {
                fputs(text.c_str(), out);
                fclose(out);
            }
        }
    }
    return root;
}

TEST(BatteryInfo, PowerSupplyTreesGiveTheirCsv) {
    const std::vector<std::pair<std::string, std::string>> kEnergy = {
        {"energy_full_design", "57000000\n"}, {"energy_full", "49410000\n"}};
    struct Case {
        const char* what;
        std::vector<Supply> tree;
        std::string csv;      // the records under the header
        std::string textEnd;  // how the text ends, from its health on; "": not checked
    };
    const Case cases[] = {
        {"energy in µWh, every text",
         {Battery("BAT0", {{"energy_full_design", "57000000\n"},
                           {"energy_full", "49410000\n"},
                           {"cycle_count", "312\n"},
                           {"manufacturer", "SMP\n"},
                           {"model_name", "5B10W13930\n"},
                           {"technology", "Li-poly\n"}})},
         "BAT0,SMP,5B10W13930,Li-poly,57.00,49.41,86.7,312\n", ""},
        {"charge in µAh at the design's minimum voltage",
         {Battery("BAT0", {{"charge_full_design", "4400000\n"},
                           {"charge_full", "4000000\n"},
                           {"voltage_min_design", "11100000\n"}})},
         "BAT0,,,,48.84,44.40,90.9,\n", ""},
        {"charge without a voltage: health, no Wh",
         {Battery("BAT0", {{"charge_full_design", "4400000"}, {"charge_full", "4000000"}})},
         "BAT0,,,,,,90.9,\n", ""},
        {"no design", {Battery("BAT0", {{"energy_full", "49410000\n"}})}, "BAT0,,,,,49.41,,\n", ""},
        {"design 0",
         {Battery("BAT0", {{"energy_full_design", "0\n"}, {"energy_full", "49410000\n"}})},
         "BAT0,,,,,49.41,,\n", ""},
        {"full above design, not clamped",
         {Battery("BAT0", {{"energy_full_design", "50000000\n"}, {"energy_full", "51000000\n"}})},
         "BAT0,,,,50.00,51.00,102.0,\n",
         "  Health       : 102.0 %\n  Cycles       : -\n"
         "  (above 100 %: a new battery may read a little over 100 %)\n"},
        {"full at design: no note",
         {Battery("BAT0", {{"energy_full_design", "50000000\n"}, {"energy_full", "50000000\n"}})},
         "BAT0,,,,50.00,50.00,100.0,\n", "  Health       : 100.0 %\n  Cycles       : -\n"},
        // A health from 20 to 150 % is a figure; beyond, a broken gauge's.
        {"a broken gauge: 969 Wh full against a design of 65 Wh, not plausible",
         {Battery("BAT0", {{"energy_full_design", "65000000\n"}, {"energy_full", "969000000\n"}})},
         "BAT0,,,,65.00,969.00,,\n",
         "  Health       : not plausible (969.00 Wh full against 65.00 Wh design)\n"
         "  Cycles       : -\n"},
        {"150.0 %: plausible",
         {Battery("BAT0", {{"energy_full_design", "65000000\n"}, {"energy_full", "97500000\n"}})},
         "BAT0,,,,65.00,97.50,150.0,\n", ""},
        {"150.1 %: not plausible",
         {Battery("BAT0", {{"energy_full_design", "65000000\n"}, {"energy_full", "97570000\n"}})},
         "BAT0,,,,65.00,97.57,,\n", ""},
        {"20.0 %: plausible",
         {Battery("BAT0", {{"energy_full_design", "65000000\n"}, {"energy_full", "13000000\n"}})},
         "BAT0,,,,65.00,13.00,20.0,\n", "  Health       : 20.0 %\n  Cycles       : -\n"},
        {"19.9 %: not plausible",
         {Battery("BAT0", {{"energy_full_design", "65000000\n"}, {"energy_full", "12940000\n"}})},
         "BAT0,,,,65.00,12.94,,\n", ""},
        {"charges without a voltage, not plausible: the health shown, no Wh",
         {Battery("BAT0", {{"charge_full_design", "4400000"}, {"charge_full", "66000000"}})},
         "BAT0,,,,,,,\n", "  Health       : not plausible (1500.0 %)\n  Cycles       : -\n"},
        {"two batteries, sorted by name",
         {Battery("BAT1", kEnergy), Battery("BAT0", {{"energy_full", "20000000"}})},
         "BAT0,,,,,20.00,,\nBAT1,,,,57.00,49.41,86.7,\n", ""},
        {"a mouse (scope Device), the mains and an empty slot left out",
         {Battery("hidpp_battery_0", {{"scope", "Device\n"}, {"energy_full", "1000000\n"}}),
          {"AC", {{"type", "Mains\n"}, {"online", "1\n"}}},
          Battery("BAT1", {{"present", "0\n"}}),
          Battery("BAT0", kEnergy)},
         "BAT0,,,,57.00,49.41,86.7,\n", ""},
        {"cycle_count 0: not counted",
         {Battery("BAT0", {{"cycle_count", "0\n"}, {"energy_full", "1000000\n"}})},
         "BAT0,,,,,1.00,,\n", ""},
        {"words, negatives and overflow where numbers belong",
         {Battery("BAT0", {{"energy_full_design", "N/A\n"},
                           {"energy_full", "-49410000\n"},
                           {"cycle_count", "99999999999999999999999\n"},
                           {"charge_full", "4000000\n"}})},
         "BAT0,,,,,,,\n", ""},
        {"texts with a comma, a quote and a control character",
         {Battery("BAT0", {{"manufacturer", "Acme, Inc.\n"},
                           {"model_name", "The \"Big\"\x01 One\n"},
                           {"energy_full", "1000000\n"}})},
         "BAT0,\"Acme, Inc.\",\"The \"\"Big\"\" One\",,,1.00,,\n", ""},
        // What a spreadsheet would run: shown as text.
        {"texts a spreadsheet takes for formulas",
         {Battery("BAT0", {{"manufacturer", "=2+5*cmd|' /C calc'!A0\n"},
                           {"model_name", "@SUM(1)\n"},
                           {"technology", "-Li+ion\n"},
                           {"energy_full", "1000000\n"}}),
          Battery("+BAT1", {{"model_name", "5B10=\n"}, {"energy_full", "1000000\n"}})},
         "'+BAT1,,5B10=,,,1.00,,\nBAT0,'=2+5*cmd|' /C calc'!A0,'@SUM(1),'-Li+ion,,1.00,,\n", ""},
        {"no supplies at all", {}, "", ""},
    };
    for (const Case& c : cases) {
        std::string root = MakeTree(c.tree);
        std::string csv = BatteryCsv(ReadBatteries(root));
        EXPECT_EQ(csv, std::string(kBatteryCsvHeader) + "\n" + c.csv) << c.what;
        EXPECT_EQ(csv.find("SECRET"), std::string::npos) << c.what;
        std::string text = BatteryText(ReadBatteries(root));
        if (!c.textEnd.empty()) {
            EXPECT_EQ(text.substr(text.size() - std::min(text.size(), c.textEnd.size())), c.textEnd)
                << c.what << ":\n" << text;
        }
        std::string remove = "rm -rf '" + root + "'";
        EXPECT_EQ(system(remove.c_str()), 0);
    }
    EXPECT_EQ(BatteryText(ReadBatteries("/nonexistent")), "No battery found.\n");
}
#endif


TEST(BatteryInfo, LogLinesReadBack) {
    BatteryInfo quoted = Info("BAT1", "The \"Big\", One", std::nullopt, std::nullopt, 93.5);
    quoted.manufacturer = "Acme";
    quoted.technology = "Li-ion";
    quoted.cycleCount = 1200;
    // A text that a spreadsheet would take for a formula is written as read.
    std::vector<BatteryInfo> batteries = {Info("BAT0", "5B10", 57, 49.41, 86.68), quoted,
                                          Info("=BAT2", "@SUM(1)", 50, 40, 80)};
    struct tm local = {};
    local.tm_year = 126;  // 2026
    local.tm_mon = 11;
    local.tm_mday = 9;
    local.tm_hour = 8;
    local.tm_min = 5;
    local.tm_sec = 7;
    std::string lines = HealthLogLines(batteries, local);
    EXPECT_EQ(lines.substr(0, lines.find('\n')),
              "12/09/26 08:05:07  Battery health: BAT0,,5B10,,57.00,49.41,86.7,");
    EXPECT_NE(lines.find("  Battery health: =BAT2,,@SUM(1),,50.00,40.00,80.0,\n"), std::string::npos)
        << lines;
    size_t at = 0;
    for (const BatteryInfo& battery : batteries) {
        size_t end = lines.find('\n', at);
        ASSERT_NE(end, std::string::npos);
        CivilTime stamp;
        BatteryInfo read;
        ASSERT_TRUE(ParseBatteryHealthMessage(lines.substr(at, end - at), &stamp, &read))
            << lines.substr(at, end - at);
        EXPECT_EQ(BatteryCsvRecord(read), BatteryCsvRecord(battery));
        EXPECT_EQ(FormatIsoTime(stamp), "2026-12-09T08:05:07");
        at = end + 1;
    }
    EXPECT_EQ(at, lines.size());
    EXPECT_EQ(HealthLogLines({}, local), "");

    const std::string good = "12/09/26 08:05:07  Battery health: BAT0,,5B10,,57.00,49.41,86.7,3";
    CivilTime stamp;
    BatteryInfo read;
    ASSERT_TRUE(ParseBatteryHealthMessage(good, &stamp, &read));
    EXPECT_EQ(read.cycleCount.value_or(0), 3);
    // The stamp's year read as the reports' is: from 69 on 19YY, else 20YY.
    const std::pair<const char*, const char*> stamps[] = {
        {"01/01/70 00:00:12", "1970-01-01T00:00:12"},  // at boot, before the clock was set
        {"01/01/69 00:00:00", "1969-01-01T00:00:00"},
        {"12/31/68 23:59:59", "2068-12-31T23:59:59"},
    };
    for (const auto& [text, iso] : stamps) {
        ASSERT_TRUE(ParseBatteryHealthMessage(text + good.substr(17), &stamp, &read)) << text;
        EXPECT_EQ(FormatIsoTime(stamp), iso);
    }
    // A design of 0.00 is unknown, as --batteries takes a design of 0.
    ASSERT_TRUE(ParseBatteryHealthMessage(good.substr(0, 47) + "0.00,49.41,,", &stamp, &read));
    EXPECT_FALSE(read.designWh.has_value());
    EXPECT_EQ(BatteryCsvRecord(read), "BAT0,,5B10,,,49.41,,");
    const std::string bad[] = {
        "",
        "12/09/26 08:05:07  Battery health: ",
        "12/09/26 08:05:07  Battery health: BAT0,,5B10,,57.00,49.41,86.7",    // cut off
        "12/09/26 08:05:07  Battery health: BAT0,,5B10,,57.00,49.41,86.7,,",  // a field too many
        "12/09/26 08:05:07  Battery health: BAT0,,5B10,,57.00,49.4x,86.7,",
        "12/09/26 08:05:07  Battery health: BAT0,,5B10,,5e7,49.41,86.7,",
        "12/09/26 08:05:07  Battery health: BAT0,,5B10,,-57.00,49.41,86.7,",
        "12/09/26 08:05:07  Battery health: BAT0,,5B10,,57.00,49.41,86.75,",
        "12/09/26 08:05:07  Battery health: BAT0,,5B10,,57.,49.41,86.7,",
        "12/09/26 08:05:07  Battery health: BAT0,,5B10,,57.0,49.41,86.7,",
        "12/09/26 08:05:07  Battery health: BAT0,,5B10,,057.00,49.41,86.7,",
        "12/09/26 08:05:07  Battery health: \"BAT0\",,5B10,,57.00,49.41,86.7,",  // needless quotes
        "12/09/26 08:05:07  Battery health: BAT0,,5B10,,57.00,49.41,86.7,0",
        "12/09/26 08:05:07  Battery health: BAT0,,5B10,,57.00,49.41,86.7,1.5",
        "12/09/26 08:05:07  Battery health: \"BAT0,,5B10,,57.00,49.41,86.7,",  // open quote
        "12/09/26 08:05:07  Battery health: \"BAT0\"x,,5B10,,57.00,49.41,86.7,",
        "12/09/26 08:05:07  Battery health: BA\"T0,,5B10,,57.00,49.41,86.7,",
        "13/09/26 08:05:07  Battery health: BAT0,,5B10,,57.00,49.41,86.7,",
        "12/09/26 24:05:07  Battery health: BAT0,,5B10,,57.00,49.41,86.7,",
        "12/09/26 08:05:07 Battery health: BAT0,,5B10,,57.00,49.41,86.7,",
        "12/09/26 08:05:07  Power source: AC       Status: High, Charging, 80%",
        "12/09/26 08:05:07  Battery health: BAT0," + std::string(65, 'M') + ",5B10,,,,,",
    };
    for (const std::string& line : bad) {
        EXPECT_FALSE(ParseBatteryHealthMessage(line, &stamp, &read)) << line;
    }
    // Every line cut short or with one character changed: taken only where
    // it still is exactly the form, so never with a figure it doesn't show.
    const std::string record = ",\"Acme, \"\"X\"\"\",5B10,,57.00,49.41,86.7,312";
    const std::string line = "12/09/26 08:05:07  Battery health: BAT0" + record;
    for (size_t at = 0; at <= line.size(); at++) {
        std::vector<std::string> variants = {line.substr(0, at)};
        for (char c : std::string(",\".-0 9x\0", 10)) {
            if (at < line.size()) {
                variants.push_back(line);
                variants.back()[at] = c;
            }
        }
        for (const std::string& variant : variants) {
            if (ParseBatteryHealthMessage(variant, &stamp, &read)) {
                EXPECT_EQ(variant.substr(35), BatteryCsvRecord(read)) << variant;
            }
        }
    }
}

#ifdef _WIN32
TEST(BatteryInfo, WindowsBatteryInformationDecoded) {
    struct Case {
        const char* what;
        ULONG capabilities, design, full, cycles;
        const char chemistry[4];
        std::wstring maker, device;
        std::string csv;
    };
    // clang-format off
    const Case cases[] = {
        {"mWh", BATTERY_SYSTEM_BATTERY, 57000, 49410, 312, {'L', 'I', 'O', 'N'}, L"SMP",
         L"DELL 5B10", ",SMP,DELL 5B10,LION,57.00,49.41,86.7,312"},
        {"relative: health, no Wh", BATTERY_SYSTEM_BATTERY | BATTERY_CAPACITY_RELATIVE, 100, 87,
         0, {'L', 'I', ' ', 'P'}, L"", L"", ",,,LI P,,,87.0,"},
        {"full unknown, chemistry cut short", BATTERY_SYSTEM_BATTERY, 57000,
         BATTERY_UNKNOWN_CAPACITY, 0, {'P', 'b', 0, 0}, L"Acme, \x00e9", L"X\nY",
         ",\"Acme, \xc3\xa9\",XY,Pb,57.00,,,"},
        {"design 0", BATTERY_SYSTEM_BATTERY, 0, 51000, 1, {0, 0, 0, 0}, L"", L"", ",,,,,51.00,,1"},
    };
    // clang-format on
    for (const Case& c : cases) {
        BATTERY_INFORMATION information = {};
        information.Capabilities = c.capabilities;
        information.DesignedCapacity = c.design;
        information.FullChargedCapacity = c.full;
        information.CycleCount = c.cycles;
        memcpy(information.Chemistry, c.chemistry, 4);
        EXPECT_EQ(BatteryCsvRecord(DecodeBatteryInformation(information, c.maker, c.device)), c.csv)
            << c.what;
    }
}
#endif

}  // namespace

