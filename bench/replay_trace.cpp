// Replays a recorded power trace through the real Linux source: the class
// reader over a temporary tree rewritten for every row, the mapping and the
// battery time estimate, with the clocks taken from the trace. Prints the
// record each row would hand the monitor.
//
// Input: CSV with the header t,status,online,energy_now,energy_full,power_now,suspended
// and one row a second: one adapter AC (online) and one battery BAT0
// (status; µWh, µW; an empty field is left out of the tree). `suspended` is
// how many seconds the machine slept just before the row; t counts them.
// Output: t,ac,flag,percent,remaining,full (times 4294967295 when not reported).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/power_supply_class.h"

namespace {

const char* const kHeader = "t,status,online,energy_now,energy_full,power_now,suspended";

bool WriteFileWhole(const std::string& path, const std::string& text) {
    std::string temporary = path + ".new";
    std::ofstream(temporary) << text;
    return rename(temporary.c_str(), path.c_str()) == 0;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, ',')) {
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == ',') {
        fields.push_back("");
    }
    return fields;
}

std::string Attribute(const char* key, const std::string& value) {
    return value.empty() ? "" : std::string("POWER_SUPPLY_") + key + "=" + value + "\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s TRACE.csv\n", argv[0]);
        return 1;
    }
    std::ifstream trace(argv[1]);
    std::string line;
    if (!trace || !std::getline(trace, line) || line != kHeader) {
        fprintf(stderr, "%s: not a trace (its first line must be %s)\n", argv[1], kHeader);
        return 1;
    }
    char pattern[] = "/tmp/tolvane-replay-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        perror("mkdtemp");
        return 1;
    }
    std::string tree = pattern;
    mkdir((tree + "/AC").c_str(), 0755);
    mkdir((tree + "/BAT0").c_str(), 0755);

    BatteryTimeEstimate estimate;
    ClearBatteryTimeEstimate(&estimate);
    KnownPeripherals peripherals = {};
    int64_t sleptSeconds = 0;
    int status = 0;
    printf("t,ac,flag,percent,remaining,full\n");
    for (int row = 2; std::getline(trace, line); row++) {
        std::vector<std::string> f = SplitFields(line);
        if (f.size() != 7) {
            fprintf(stderr, "%s:%d: %zu fields, expected 7\n", argv[1], row, f.size());
            status = 1;
            break;
        }
        int64_t t = atoll(f[0].c_str());
        sleptSeconds += atoll(f[6].c_str());
        bool written =
            WriteFileWhole(tree + "/AC/uevent", "POWER_SUPPLY_NAME=AC\nPOWER_SUPPLY_TYPE=Mains\n" +
                                                    Attribute("ONLINE", f[2])) &&
            WriteFileWhole(tree + "/BAT0/uevent",
                           "POWER_SUPPLY_NAME=BAT0\nPOWER_SUPPLY_TYPE=Battery\n" +
                               Attribute("STATUS", f[1]) + Attribute("ENERGY_NOW", f[3]) +
                               Attribute("ENERGY_FULL", f[4]) + Attribute("POWER_NOW", f[5]));
        if (!written) {
            perror("writing the tree");
            status = 1;
            break;
        }
        SourceClocks clocks = {(t - sleptSeconds) * 1000, t * 1000};
        SYSTEM_POWER_STATUS record;
        int32_t errorCode = 0;
        if (!ReadPowerSupplyClass(tree.c_str(), &clocks, &estimate, &peripherals, &record,
                                  &errorCode)) {
            fprintf(stderr, "reading %s failed: error %d\n", tree.c_str(), (int)errorCode);
            status = 1;
            break;
        }
        printf("%lld,%u,%u,%u,%lu,%lu\n", (long long)t, record.ACLineStatus, record.BatteryFlag,
               record.BatteryLifePercent, (unsigned long)record.BatteryLifeTime,
               (unsigned long)record.BatteryFullLifeTime);
    }
    std::string command = "rm -rf '" + tree + "'";
    if (system(command.c_str()) != 0) {
        fprintf(stderr, "could not remove %s\n", tree.c_str());
    }
    return status;
}
