// libFuzzer target over the Linux source's pure part: uevent texts in, one
// power status record out (the first reading of a monitor just started). The input is split at 0xFF bytes into the
// uevent files of up to kMaxSupplies supplies. Besides the sanitizers'
// findings, a record that breaks what the monitor relies on is a crash.
#include <stdint.h>
#include <string.h>

#include <initializer_list>

#include "platform/linux/battery_time_estimate.h"
#include "platform/linux/power_supply_mapping.h"

static void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

static void Compute(const uint8_t* data, size_t size, SYSTEM_POWER_STATUS* status) {
    static SupplyReading supplies[kMaxSupplies];
    int count = 0;
    const char* text = reinterpret_cast<const char*>(data);
    size_t start = 0;
    for (size_t i = 0; i <= size && count < kMaxSupplies; i++) {
        if (i == size || data[i] == 0xFF) {
            ClearSupplyReading(&supplies[count]);
            ParseSupplyUevent(&supplies[count], text + start, i - start);
            count++;
            start = i + 1;
        }
    }
    static BatteryTimeEstimate estimate;
    ClearBatteryTimeEstimate(&estimate);
    BatteryTimeFacts facts;
    const SourceClocks clocks = {1000, 1000};
    ComputePowerStatus(supplies, count, status, &facts);
    EstimateBatteryTimes(&estimate, &facts, &clocks, status);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SYSTEM_POWER_STATUS status;
    SYSTEM_POWER_STATUS again;
    memset(&status, 0xA5, sizeof status);
    memset(&again, 0x5A, sizeof again);
    Compute(data, size, &status);
    Compute(data, size, &again);
    Check(memcmp(&status, &again, sizeof status) == 0);  // all 12 bytes, every time

    Check(status.ACLineStatus == 0 || status.ACLineStatus == 1);
    Check(status.BatteryLifePercent <= 100 || status.BatteryLifePercent == 255);
    Check(status.Reserved1 == 0);
    if (status.BatteryFlag == 128) {
        Check(status.BatteryLifePercent == 255 && status.ACLineStatus == 1);
    } else if (status.BatteryLifePercent == 255) {
        Check(status.BatteryFlag == 255);
    } else {
        Check((status.BatteryFlag & ~(1 | 2 | 4 | 8)) == 0);
    }
    for (uint32_t time : {status.BatteryLifeTime, status.BatteryFullLifeTime}) {
        Check(time == 0xFFFFFFFFu || time <= kLongestPlausibleSeconds);
        Check(status.ACLineStatus == 0 || time == 0xFFFFFFFFu);
    }
    return 0;
}
