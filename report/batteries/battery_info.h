// The batteries installed in this machine and their wear: what the kernel
// (or Windows) says about each one's capacity when new and now.
#ifndef TOLVANE_REPORT_BATTERIES_BATTERY_INFO_H
#define TOLVANE_REPORT_BATTERIES_BATTERY_INFO_H

#include <stddef.h>
#include <stdint.h>

#include <optional>
#include <string>
#include <vector>

struct BatteryInfo {
    // "" where unknown. The serial number is never read: a log of these
    // goes into the journal and into bug reports.
    std::string name, manufacturer, model, technology;
    std::optional<double> designWh, fullWh;  // watt-hours
    // Full over design in percent, not clamped: a new battery may read a
    // little over 100. See PlausibleHealth.
    std::optional<double> healthPercent;
    std::optional<int64_t> cycleCount;  // none where 0 or not given
};

// A health from 20 to 150 percent, else none. Beyond that it is a broken
// gauge's figure, not wear (a real one gave 969 Wh full against a design
// of 65 Wh): shown as not plausible, never written or used as a health.
inline std::optional<double> PlausibleHealth(std::optional<double> percent) {
    if (percent && *percent >= 20.0 && *percent <= 150.0) {
        return percent;
    }
    return std::nullopt;
}

// Names, makers, models and technologies are cut to this many bytes: a
// driver's garbage stays out of the log.
const size_t kMaxBatteryText = 64;

#ifndef _WIN32
// The batteries under classDir (a directory laid out as
// /sys/class/power_supply), sorted by name: supplies of type Battery, not
// those of a peripheral (scope Device) nor those not present.
std::vector<BatteryInfo> ReadBatteries(const std::string& classDir);
#endif

// The machine's own batteries.
std::vector<BatteryInfo> ReadInstalledBatteries();

#ifdef _WIN32
struct _BATTERY_INFORMATION;  // <batclass.h>, kept out of this header

// What IOCTL_BATTERY_QUERY_INFORMATION gave for one battery: its
// BatteryInformation, BatteryManufactureName and BatteryDeviceName (the
// model). The name is left to the caller.
BatteryInfo DecodeBatteryInformation(const _BATTERY_INFORMATION& information,
                                     const std::wstring& maker, const std::wstring& device);
#endif

#endif
