#include "report/batteries/battery_info.h"

#include <dirent.h>
#include <stdio.h>

#include <algorithm>

namespace {

// Attribute files are one short line; anything longer is not one to trust.
const size_t kMaxAttribute = 4096;

// The file's text without surrounding white space; nullopt when it can't
// be read.
std::optional<std::string> ReadAttribute(const std::string& directory, const char* name) {
    FILE* file = fopen((directory + "/" + name).c_str(), "rb");
    if (!file) {
        return std::nullopt;
    }
    char buffer[kMaxAttribute];
    size_t count = fread(buffer, 1, sizeof buffer, file);
    bool failed = ferror(file) != 0 || count == sizeof buffer;
    fclose(file);
    if (failed) {
        return std::nullopt;
    }
    std::string text(buffer, count);
    const char* space = " \t\r\n";
    size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// A text attribute for display: "" where missing, control characters
// dropped, cut to kMaxBatteryText bytes.
std::string ReadText(const std::string& directory, const char* name) {
    std::string text;
    for (char c : ReadAttribute(directory, name).value_or("")) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f && text.size() < kMaxBatteryText) {
            text += c;
        }
    }
    return text;
}

// A count or quantity: decimal digits only, above zero (the drivers write
// 0 for what they don't know); nullopt otherwise.
std::optional<int64_t> ReadPositive(const std::string& directory, const char* name) {
    std::optional<std::string> text = ReadAttribute(directory, name);
    if (!text || text->empty() || text->size() > 18) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (char c : *text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value > 0 ? std::optional<int64_t>(value) : std::nullopt;
}

std::optional<double> Ratio(std::optional<int64_t> part, std::optional<int64_t> whole) {
    if (!part || !whole) {
        return std::nullopt;
    }
    return static_cast<double>(*part) / static_cast<double>(*whole) * 100.0;
}

std::optional<double> WattHours(std::optional<int64_t> micro, double factor) {
    if (!micro) {
        return std::nullopt;
    }
    return static_cast<double>(*micro) * factor;
}

bool ReadBattery(const std::string& classDir, const std::string& name, BatteryInfo* info) {
    std::string directory = classDir + "/" + name;
    if (ReadAttribute(directory, "type").value_or("") != "Battery" ||
        ReadAttribute(directory, "scope").value_or("") == "Device" ||
        ReadAttribute(directory, "present").value_or("1") == "0") {
        return false;
    }
    info->name = name.substr(0, kMaxBatteryText);
    info->manufacturer = ReadText(directory, "manufacturer");
    info->model = ReadText(directory, "model_name");
    info->technology = ReadText(directory, "technology");
    info->cycleCount = ReadPositive(directory, "cycle_count");

    // Energy in µWh where the driver gives it, else charge in µAh, which
    // takes the design's minimum voltage (µV) to become energy.
    std::optional<int64_t> design = ReadPositive(directory, "energy_full_design");
    std::optional<int64_t> full = ReadPositive(directory, "energy_full");
    if (design || full) {
        info->designWh = WattHours(design, 1e-6);
        info->fullWh = WattHours(full, 1e-6);
    } else {
        design = ReadPositive(directory, "charge_full_design");
        full = ReadPositive(directory, "charge_full");
        std::optional<int64_t> volts = ReadPositive(directory, "voltage_min_design");
        if (volts) {
            double factor = static_cast<double>(*volts) * 1e-12;
            info->designWh = WattHours(design, factor);
            info->fullWh = WattHours(full, factor);
        }
    }
    info->healthPercent = Ratio(full, design);
    return true;
}

}  // namespace

std::vector<BatteryInfo> ReadBatteries(const std::string& classDir) {
    std::vector<std::string> names;
    if (DIR* directory = opendir(classDir.c_str())) {
        while (const struct dirent* entry = readdir(directory)) {
            if (entry->d_name[0] != '.') {
                names.push_back(entry->d_name);
            }
        }
        closedir(directory);
    }
    std::sort(names.begin(), names.end());
    std::vector<BatteryInfo> batteries;
    for (const std::string& name : names) {
        BatteryInfo info;
        if (ReadBattery(classDir, name, &info)) {
            batteries.push_back(info);
        }
    }
    return batteries;
}

std::vector<BatteryInfo> ReadInstalledBatteries() {
    return ReadBatteries("/sys/class/power_supply");
}
