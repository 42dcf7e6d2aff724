// The Linux source on power supply trees built in a temporary directory.
#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/linux/power_supply_class.h"

namespace {

const uint32_t kNone = 0xFFFFFFFFu;

struct Expected {
    int ac, flag, percent;
    uint32_t life, full;
};

// A tree described as "NAME: attr=value attr=value; NAME: ...". A value of
// "<dir>" makes the attribute a directory (it can't be read as a file),
// "<empty>" an empty file, "~"
// stands for a space in a value, and
// an entry "NAME -> TARGET" is a symlink, as the class directory holds them.
// With `asUevent` the attributes go into one uevent file per supply, as the
// kernel lists them there (an attribute it can't read is left out).
std::string MakeTree(const std::string& description, bool asUevent = false) {
    char pattern[] = "/tmp/tolvane-tree-XXXXXX";
    std::string root = mkdtemp(pattern);
    std::string devices = root + "/devices";
    std::string tree = root + "/power_supply";
    mkdir(devices.c_str(), 0755);
    mkdir(tree.c_str(), 0755);
    std::stringstream supplies(description);
    std::string supply;
    while (std::getline(supplies, supply, ';')) {
        std::stringstream words(supply);
        std::string name, word;
        words >> name;
        if (name.empty()) {
            continue;
        }
        if (words >> word && word == "->") {
            words >> word;
            EXPECT_EQ(0, symlink(word.c_str(), (tree + "/" + name).c_str()));
            continue;
        }
        name.pop_back();  // the colon
        // "." and ".." put their files into the class directory itself, or
        // the one above it.
        std::string directory = name == "." ? tree : name == ".." ? root : devices + "/" + name;
        if (name != "." && name != "..") {
            mkdir(directory.c_str(), 0755);
            EXPECT_EQ(0, symlink(directory.c_str(), (tree + "/" + name).c_str()));
        }
        std::ofstream uevent;
        if (asUevent) {
            uevent.open(directory + "/uevent");
            uevent << "POWER_SUPPLY_NAME=" << name << "\n";
        }
        do {
            size_t equals = word.find('=');
            std::string path = directory + "/" + word.substr(0, equals);
            std::string value = word.substr(equals + 1);
            std::replace(value.begin(), value.end(), '~', ' ');
            std::string key = word.substr(0, equals);
            std::transform(key.begin(), key.end(), key.begin(), ::toupper);
            if (value == "<dir>") {
                mkdir(path.c_str(), 0755);
            } else if (value == "<empty>" && !asUevent) {
                std::ofstream(path).flush();
            } else if (asUevent) {
                uevent << "POWER_SUPPLY_" << key << "=" << (value == "<empty>" ? "" : value) << "\n";
            } else {
                std::ofstream(path) << value << "\n";
            }
        } while (words >> word);
    }
    return root;
}

void RemoveTree(const std::string& root) {
    std::string command = "rm -rf '" + root + "'";
    EXPECT_EQ(0, system(command.c_str()));
}

// The first reading of a monitor that has just started: its times come from
// this one reading's draw.
bool ReadFirst(const std::string& classDirectory, SYSTEM_POWER_STATUS* status, int32_t* errorCode) {
    BatteryTimeEstimate estimate;
    ClearBatteryTimeEstimate(&estimate);
    KnownPeripherals peripherals = {};
    const SourceClocks clocks = {5000, 5000};
    return ReadPowerSupplyClass(classDirectory.c_str(), &clocks, &estimate, &peripherals, status,
                                errorCode);
}

SYSTEM_POWER_STATUS ReadTree(const std::string& description, bool asUevent) {
    std::string root = MakeTree(description, asUevent);
    SYSTEM_POWER_STATUS status;
    memset(&status, 0xA5, sizeof status);
    int32_t errorCode = 0;
    EXPECT_TRUE(ReadFirst(root + "/power_supply", &status, &errorCode)) << description;
    RemoveTree(root);
    return status;
}

void ExpectStatus(const Expected& expected, const SYSTEM_POWER_STATUS& status,
                  const std::string& description) {
    EXPECT_EQ(expected.ac, status.ACLineStatus) << description;
    EXPECT_EQ(expected.flag, status.BatteryFlag) << description;
    EXPECT_EQ(expected.percent, status.BatteryLifePercent) << description;
    EXPECT_EQ(0, status.Reserved1) << description;
    EXPECT_EQ(expected.life, status.BatteryLifeTime) << description;
    EXPECT_EQ(expected.full, status.BatteryFullLifeTime) << description;
}

struct Case {
    const char* tree;
    Expected expected;
};

// Every tree is read twice: from the attribute files, and from uevent files.
void CheckCases(const Case* cases, size_t count) {
    for (size_t i = 0; i < count; i++) {
        for (bool asUevent : {false, true}) {
            std::string description = std::string(asUevent ? "uevent: " : "files: ") + cases[i].tree;
            ExpectStatus(cases[i].expected, ReadTree(cases[i].tree, asUevent), description);
        }
    }
}

// "NAME0: ATTRIBUTES; NAME1: ATTRIBUTES; ..." for `count` supplies.
std::string Numbered(const std::string& name, const std::string& attributes, int count) {
    std::string tree;
    for (int i = 0; i < count; i++) {
        tree += name + std::to_string(i) + ": " + attributes + "; ";
    }
    return tree;
}

TEST(PowerSupplyClass, WhichSuppliesCountAndTheLineStatus) {
    // Peripherals take no place in the table of supplies, however many there
    // are; of more batteries than it holds, the first 32 count.
    const std::string manyPeripherals =
        Numbered("hid-", "type=Battery scope=Device status=Discharging capacity=3", 40) +
        "AC: type=Mains online=0; BAT0: type=Battery status=Discharging capacity=80";
    const std::string manyBatteries = Numbered("BAT", "type=Battery status=Discharging capacity=50", 40);
    const Case cases[] = {
        {manyPeripherals.c_str(), {0, 1, 80, kNone, kNone}},
        {manyBatteries.c_str(), {0, 0, 50, kNone, kNone}},
        {"", {1, 128, 255, kNone, kNone}},
        {"ucsi-port: type=USB online=0", {1, 128, 255, kNone, kNone}},
        {"AC: type=Mains online=1; BAT0: type=Battery status=Charging capacity=50",
         {1, 8, 50, kNone, kNone}},
        {"AC: type=Mains online=0; BAT0: type=Battery status=Full capacity=100",
         {0, 1, 100, kNone, kNone}},
        {"AC: type=Mains online=junk; BAT0: type=Battery status=Full capacity=100",
         {1, 1, 100, kNone, kNone}},
        // A port left online after the cable is pulled doesn't outvote a
        // draining battery; while the battery charges it counts as mains.
        {"W: type=Wireless online=2; BAT0: type=Battery status=Discharging capacity=40",
         {0, 0, 40, kNone, kNone}},
        {"AC: type=Mains online=0; ucsi: type=USB online=1; BAT0: type=Battery "
         "status=Discharging capacity=40",
         {0, 0, 40, kNone, kNone}},
        {"AC: type=Mains online=0; ucsi: type=USB online=1; BAT0: type=Battery status=Charging "
         "capacity=40",
         {1, 8, 40, kNone, kNone}},
        {"AC: type=Mains online=1; ucsi: type=USB online=1; BAT0: type=Battery "
         "status=Discharging capacity=40",
         {1, 0, 40, kNone, kNone}},
        {"BAT0: type=Battery status=Discharging capacity=70", {0, 1, 70, kNone, kNone}},
        {"BAT0: type=Battery status=Not~charging capacity=70", {1, 1, 70, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=70; BAT1: type=Battery status=Discharging "
         "capacity=70",
         {0, 1, 70, kNone, kNone}},
        // Without an adapter entry, only a draining battery means battery power.
        {"BAT0: type=Battery status=Unknown capacity=20", {1, 2, 20, kNone, kNone}},
        {"BAT0: type=Battery status=Charging present=0 capacity=20", {1, 128, 255, kNone, kNone}},
        {"BAT0: type=Battery status=Charging present=<dir> capacity=20", {1, 10, 20, kNone, kNone}},
        {"BAT0: type=Battery status=Charging present=-1 capacity=20", {1, 10, 20, kNone, kNone}},
        {"mouse: type=Battery scope=Device status=Discharging capacity=3",
         {1, 128, 255, kNone, kNone}},
        {"mouse: type=Battery scope=Device status=Discharging capacity=3; BAT0: type=Battery "
         "scope=System status=Charging capacity=80",
         {1, 9, 80, kNone, kNone}},
        {"ups: type=UPS online=0; BAT0: type=Battery capacity=80; x: status=Discharging",
         {1, 1, 80, kNone, kNone}},
        // The class directory and the one above are no supplies, whatever
        // they hold; nor is an adapter whose online is beyond 64 bits.
        {".: type=Battery status=Discharging capacity=5; ..: type=Battery status=Discharging "
         "capacity=5; AC: type=Mains online=0",
         {1, 128, 255, kNone, kNone}},
        {"AC: type=Mains online=9223372036854775808; BAT0: type=Battery status=Full capacity=90",
         {1, 1, 90, kNone, kNone}},
        {"AC: type=Mains online=-9223372036854775809; BAT0: type=Battery status=Discharging "
         "capacity=90",
         {0, 1, 90, kNone, kNone}},
        // A word is known only whole: "Dis" is not "Discharging".
        {"BAT0: type=Battery status=Dis capacity=70", {1, 1, 70, kNone, kNone}},
        {"BAT0: type=<dir> status=Discharging capacity=3", {1, 128, 255, kNone, kNone}},
        {"gone -> /nonexistent/BAT9; BAT0: type=Battery status=Discharging capacity=4",
         {0, 6, 4, kNone, kNone}},
    };
    CheckCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(PowerSupplyClass, ChargeAndItsFlags) {
    const Case cases[] = {
        // A capacity outside 0..100 is a gauge's raw value, not a percentage.
        {"BAT0: type=Battery status=Full capacity=101", {1, 255, 255, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=-7", {1, 255, 255, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=-1", {1, 255, 255, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=+50", {1, 0, 50, kNone, kNone}},
        // Nothing of a name that only begins like an attribute's is read.
        {"BAT0: type=Battery status=Full capacit=50", {1, 255, 255, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=<empty> energy_now=500 energy_full=1000",
         {1, 0, 50, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=1536 energy_now=500 energy_full=1000",
         {1, 0, 50, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=100", {1, 1, 100, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=0", {1, 6, 0, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=67", {1, 1, 67, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=66", {1, 0, 66, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=33", {1, 0, 33, kNone, kNone}},
        {"BAT0: type=Battery status=Charging capacity=32", {1, 10, 32, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=5", {1, 2, 5, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=4", {1, 6, 4, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=junk energy_now=657 energy_full=1000",
         {1, 0, 66, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=<dir> energy_now=1 energy_full=0 charge_now=57 "
         "charge_full=200",
         {1, 2, 29, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=", {1, 255, 255, kNone, kNone}},
        {"BAT0: type=Battery status=Full charge_now=99999999999999999999 charge_full=1",
         {1, 255, 255, kNone, kNone}},
        // Two batteries combine as one: energies, else charges, else the mean capacity.
        {"BAT0: type=Battery status=Full capacity=10 energy_now=100 energy_full=1000; BAT1: "
         "type=Battery status=Full capacity=90 energy_now=900 energy_full=1000",
         {1, 0, 50, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=10 energy_now=100 energy_full=1000; BAT1: "
         "type=Battery status=Full capacity=90 charge_now=900 charge_full=1000",
         {1, 0, 50, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=10 energy_now=100 energy_full=200; BAT1: "
         "type=Battery status=Full capacity=91",
         {1, 0, 51, kNone, kNone}},
        {"BAT0: type=Battery status=Full capacity=10; BAT1: type=Battery status=Full",
         {1, 255, 255, kNone, kNone}},
    };
    CheckCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(PowerSupplyClass, BatteryTimesOnlyOnBattery) {
    const char* charging = "AC: type=Mains online=1; BAT0: type=Battery status=Charging capacity=50 "
                           "time_to_empty_now=100 energy_now=50 energy_full=100 power_now=10";
    const Case cases[] = {
        {charging, {1, 8, 50, kNone, kNone}},
        // The draw beats the driver's own time, which some gauges give in minutes.
        {"BAT0: type=Battery status=Discharging capacity=50 time_to_empty_now=1234 energy_now=50 "
         "energy_full=100 power_now=-10",
         {0, 0, 50, 18000, 36000}},
        {"BAT0: type=Battery status=Discharging capacity=64 charge_full=10500000 "
         "current_now=680000 time_to_empty_now=579",
         {0, 0, 64, 35576, 55588}},
        {"BAT0: type=Battery status=Discharging capacity=50 energy_now=50 energy_full=100 "
         "power_now=0 time_to_empty_now=600",
         {0, 0, 50, 600, kNone}},
        {"BAT0: type=Battery status=Discharging capacity=50 energy_now=50 energy_full=100 "
         "time_to_empty_now=0",
         {0, 0, 50, kNone, kNone}},
        {"BAT0: type=Battery status=Discharging capacity=50 energy_now=50 energy_full=100 "
         "power_now=7 charge_now=1 current_now=1",
         {0, 0, 50, 25714, 51428}},
        {"BAT0: type=Battery status=Discharging capacity=50 energy_now=50 power_now=0 "
         "charge_now=1 charge_full=2 current_now=-3",
         {0, 0, 50, 1200, 2400}},
        {"BAT0: type=Battery status=Discharging capacity=50 energy_now=50 energy_full=100",
         {0, 0, 50, kNone, kNone}},
        // Beyond 240 hours a time is not believed: placeholder draws of a
        // few milliwatts, and drivers' own figures.
        {"BAT0: type=Battery status=Discharging capacity=50 time_to_empty_now=9999999999",
         {0, 0, 50, kNone, kNone}},
        {"BAT0: type=Battery status=Discharging capacity=50 energy_now=9000000000000000000 "
         "power_now=1",
         {0, 0, 50, kNone, kNone}},
        {"BAT0: type=Battery status=Discharging capacity=100 charge_now=5000000 "
         "charge_full=5000000 current_now=1000",
         {0, 1, 100, kNone, kNone}},
        {"BAT0: type=Battery status=Discharging capacity=50 energy_now=240 energy_full=480 "
         "power_now=1",
         {0, 0, 50, 864000, kNone}},
        // Sums over both batteries, used only where every battery has its part.
        {"BAT0: type=Battery status=Discharging energy_now=30 energy_full=50 power_now=10 "
         "time_to_empty_now=60; BAT1: type=Battery status=Full energy_now=10 energy_full=50 "
         "power_now=10",
         {0, 0, 40, 7200, 18000}},
        // An idle second pack without a draw adds its energy, not a gap.
        {"BAT0: type=Battery status=Discharging energy_now=30 energy_full=50 power_now=10; BAT1: "
         "type=Battery status=Full energy_now=10 energy_full=50",
         {0, 0, 40, 14400, 36000}},
        // A pack whose draw has no 64-bit magnitude adds none; the other's counts.
        {"BAT0: type=Battery status=Discharging energy_now=30 energy_full=50 "
         "power_now=-9223372036854775808; BAT1: type=Battery status=Full energy_now=10 "
         "energy_full=50 power_now=10",
         {0, 0, 40, 14400, 36000}},
    };
    CheckCases(cases, sizeof cases / sizeof cases[0]);
}

// A peripheral is read once: later readings pass over it, without opening
// a file of it, until its name leaves the directory; a supply that then
// comes under that name is read afresh.
TEST(PowerSupplyClass, PeripheralsAreReadOnce) {
    std::string root = MakeTree(
        "AC: type=Mains online=0; BAT0: type=Battery status=Discharging capacity=80; mouse: "
        "type=Battery scope=Device status=Discharging capacity=3",
        true);
    std::string classDirectory = root + "/power_supply";
    std::string mouse = root + "/devices/mouse";
    int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_LE(0, inotify_add_watch(watch, mouse.c_str(), IN_OPEN));
    BatteryTimeEstimate estimate;
    ClearBatteryTimeEstimate(&estimate);
    KnownPeripherals peripherals = {};
    struct {
        const char* change;
        bool mouseOpened;
        Expected expected;
    } readings[] = {
        {"", true, {0, 1, 80, kNone, kNone}},
        {"", false, {0, 1, 80, kNone, kNone}},
        {"gone", false, {0, 1, 80, kNone, kNone}},
        {"back as a battery", true, {0, 0, 50, kNone, kNone}},
    };
    for (const auto& r : readings) {
        if (strcmp(r.change, "gone") == 0) {
            ASSERT_EQ(0, unlink((classDirectory + "/mouse").c_str()));
        } else if (r.change[0] != '\0') {
            std::ofstream(mouse + "/uevent") << "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS="
                                                "Discharging\nPOWER_SUPPLY_CAPACITY=20\n";
            ASSERT_EQ(0, symlink(mouse.c_str(), (classDirectory + "/mouse").c_str()));
        }
        char events[4096];
        while (read(watch, events, sizeof events) > 0) {
        }
        const SourceClocks clocks = {5000, 5000};
        SYSTEM_POWER_STATUS status;
        int32_t errorCode = 0;
        ASSERT_TRUE(ReadPowerSupplyClass(classDirectory.c_str(), &clocks, &estimate, &peripherals,
                                         &status, &errorCode));
        EXPECT_EQ(r.mouseOpened, read(watch, events, sizeof events) > 0) << r.change;
        ExpectStatus(r.expected, status, r.change);
    }
    close(watch);
    RemoveTree(root);
}

TEST(PowerSupplyClass, UeventWithoutTypeOrUnreadableFallsBackToFiles) {
    std::string root = MakeTree("BAT0: type=Battery status=Discharging capacity=40");
    std::string battery = root + "/devices/BAT0";
    struct {
        const char* uevent;
        Expected expected;
    } cases[] = {
        // An older kernel: no type in the uevent; the type file says Battery.
        {"POWER_SUPPLY_STATUS=Discharging\nPOWER_SUPPLY_CAPACITY=70\n", {0, 1, 70, kNone, kNone}},
        // Junk lines and keys of no interest are passed over; what the uevent
        // leaves out (here the status) is not reported.
        {"junk\n=\nPOWER_SUPPLY_=1\nPOWER_SUPPLY_CAPACITY_LEVEL=Low\nPOWER_SUPPLY_CAPACITY=20",
         {1, 2, 20, kNone, kNone}},
    };
    for (const auto& c : cases) {
        std::ofstream(battery + "/uevent") << c.uevent;
        SYSTEM_POWER_STATUS status;
        int32_t errorCode = 0;
        ASSERT_TRUE(ReadFirst(root + "/power_supply", &status, &errorCode));
        ExpectStatus(c.expected, status, c.uevent);
    }
    // A uevent too large to be one, or with nothing of ours in it, is no
    // better than none: the files are read.
    const std::string tooLarge = "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_CAPACITY=99\n";
    for (const std::string& uevent :
         {tooLarge + std::string(1 << 20, 'x'), std::string(),
          std::string("POWER_SUPPLY_NAME=BAT0\n"), std::string("POWER_SUPPLY_STATUS=\n")}) {
        std::ofstream(battery + "/uevent") << uevent;
        SYSTEM_POWER_STATUS status;
        int32_t errorCode = 0;
        ASSERT_TRUE(ReadFirst(root + "/power_supply", &status, &errorCode));
        ExpectStatus({0, 0, 40, kNone, kNone}, status, uevent.substr(0, 40));
    }
    RemoveTree(root);
}

TEST(PowerSupplyClass, FailsOnlyWhenTheClassDirectoryCantBeListed) {
    std::string root = MakeTree("");
    std::string file = root + "/file";
    std::ofstream(file) << "not a directory\n";
    struct {
        std::string path;
        int32_t errorCode;
    } cases[] = {{root + "/missing", ENOENT}, {file, ENOTDIR}};
    for (const auto& c : cases) {
        SYSTEM_POWER_STATUS status;
        int32_t errorCode = 0;
        EXPECT_FALSE(ReadFirst(c.path, &status, &errorCode)) << c.path;
        EXPECT_EQ(c.errorCode, errorCode) << c.path;
    }
    RemoveTree(root);
}

}  // namespace
