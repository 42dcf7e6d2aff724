// Micro-benchmarks of one poll cycle's parts: reading a power supply tree,
// the report and the stamps.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "monitor/local_clock.h"
#include "monitor/status_report.h"
#include "platform/linux/power_supply_class.h"

namespace {

void WriteFile(const std::string& path, const std::string& text) {
    FILE* file = fopen(path.c_str(), "w");
    if (file != nullptr) {
        fputs(text.c_str(), file);
        fclose(file);
    }
}

// A tree of one adapter and batteries, as the kernel lays it out: each
// supply with its uevent and attribute files.
std::string MakeTree(int supplies) {
    char pattern[] = "/tmp/tolvane-bench-XXXXXX";
    std::string root = mkdtemp(pattern);
    for (int i = 0; i < supplies; i++) {
        std::string name = i == 0 ? "AC" : "BAT" + std::to_string(i - 1);
        std::string dir = root + "/" + name;
        mkdir(dir.c_str(), 0755);
        std::string uevent = "POWER_SUPPLY_NAME=" + name + "\n";
        if (i == 0) {
            uevent += "POWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=0\n";
        } else {
            uevent +=
                "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Discharging\n"
                "POWER_SUPPLY_PRESENT=1\nPOWER_SUPPLY_TECHNOLOGY=Li-ion\n"
                "POWER_SUPPLY_CYCLE_COUNT=112\nPOWER_SUPPLY_VOLTAGE_MIN_DESIGN=11400000\n"
                "POWER_SUPPLY_VOLTAGE_NOW=11812000\nPOWER_SUPPLY_POWER_NOW=8421000\n"
                "POWER_SUPPLY_ENERGY_FULL_DESIGN=57000000\nPOWER_SUPPLY_ENERGY_FULL=51230000\n"
                "POWER_SUPPLY_ENERGY_NOW=33890000\nPOWER_SUPPLY_CAPACITY=66\n"
                "POWER_SUPPLY_CAPACITY_LEVEL=Normal\nPOWER_SUPPLY_MODEL_NAME=5B10W13930\n"
                "POWER_SUPPLY_MANUFACTURER=SMP\nPOWER_SUPPLY_SERIAL_NUMBER=1234\n";
        }
        WriteFile(dir + "/uevent", uevent);
    }
    return root;
}

void BM_ReadPowerStatus(benchmark::State& state) {
    std::string root = MakeTree((int)state.range(0));
    SYSTEM_POWER_STATUS status;
    int32_t errorCode = 0;
    static BatteryTimeEstimate estimate;
    ClearBatteryTimeEstimate(&estimate);
    static KnownPeripherals peripherals;
    SourceClocks clocks = {0, 0};
    for (auto _ : state) {
        clocks.monotonicMs += 1000;
        clocks.bootMs += 1000;
        bool ok = ReadPowerSupplyClass(root.c_str(), &clocks, &estimate, &peripherals, &status,
                                       &errorCode);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(status);
    }
    std::string command = "rm -rf '" + root + "'";
    if (system(command.c_str()) != 0) {
        state.SkipWithError("could not remove the fixture tree");
    }
}
BENCHMARK(BM_ReadPowerStatus)->Arg(1)->Arg(3)->Arg(10);

void BM_WriteStatusReport(benchmark::State& state) {
    SYSTEM_POWER_STATUS status = {0, 9, 66, 0, 14488, 21901};
    fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    setvbuf(stdout, nullptr, _IONBF, 0);  // as the monitor writes
    int32_t errorCode = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            WriteStatusReport(&status, "12/08/26", "17:40:52", false, &errorCode));
    }
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(null);
}
BENCHMARK(BM_WriteStatusReport);

void BM_Stamps(benchmark::State& state) {
    char date[kStampSize];
    char time[kStampSize];
    for (auto _ : state) {
        struct tm localTime;
        ReadLocalTime(&localTime);
        benchmark::DoNotOptimize(FormatDateStamp(date, &localTime));
        benchmark::DoNotOptimize(FormatTimeStamp(time, &localTime));
    }
}
BENCHMARK(BM_Stamps);

}  // namespace

BENCHMARK_MAIN();
