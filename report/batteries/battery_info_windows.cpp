// Windows: the battery devices through SetupAPI, each asked with
// IOCTL_BATTERY_QUERY_INFORMATION. All of it is on Windows XP.
#include "report/batteries/battery_info.h"

// clang-format off
#include <windows.h>
#include <batclass.h>
#include <setupapi.h>
// clang-format on

namespace {

// GUID_DEVCLASS_BATTERY, the battery devices' interface class, spelled out
// so that no GUID library is linked.
const GUID kBatteryClass = {
    0x72631e54, 0x78a4, 0x11d0, {0xbc, 0xf7, 0x00, 0xaa, 0x00, 0xb7, 0xb3, 0x2a}};

const DWORD kMaxBatteries = 16;

// UTF-8 of what the driver gave, control characters dropped, cut at a
// character's start to kMaxBatteryText bytes.
std::string Utf8(const std::wstring& text) {
    std::wstring shown;
    for (wchar_t c : text) {
        if (c == L'\0') {
            break;
        }
        if (c >= 0x20 && c != 0x7f) {
            shown += c;
        }
    }
    std::string utf8;
    if (!shown.empty()) {
        int size = WideCharToMultiByte(CP_UTF8, 0, shown.data(), static_cast<int>(shown.size()),
                                       nullptr, 0, nullptr, nullptr);
        if (size > 0) {
            utf8.resize(static_cast<size_t>(size));
            WideCharToMultiByte(CP_UTF8, 0, shown.data(), static_cast<int>(shown.size()), &utf8[0],
                                size, nullptr, nullptr);
        }
    }
    if (utf8.size() > kMaxBatteryText) {
        size_t end = kMaxBatteryText;
        while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xc0) == 0x80) {
            end--;
        }
        utf8.resize(end);
    }
    size_t first = utf8.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return utf8.substr(first, utf8.find_last_not_of(' ') + 1 - first);
}

// A capacity the driver knows: neither 0 nor BATTERY_UNKNOWN_CAPACITY.
bool KnownCapacity(ULONG capacity) { return capacity != 0 && capacity != BATTERY_UNKNOWN_CAPACITY; }

bool QueryString(HANDLE device, ULONG tag, BATTERY_QUERY_INFORMATION_LEVEL level,
                 std::wstring* text) {
    BATTERY_QUERY_INFORMATION query = {};
    query.BatteryTag = tag;
    query.InformationLevel = level;
    wchar_t buffer[256] = {};
    DWORD returned = 0;
    if (!DeviceIoControl(device, IOCTL_BATTERY_QUERY_INFORMATION, &query, sizeof query, buffer,
                         sizeof buffer - sizeof buffer[0], &returned, nullptr)) {
        return false;
    }
    size_t length = 0;
    while (length < returned / sizeof buffer[0] && buffer[length] != L'\0') {
        length++;
    }
    text->assign(buffer, length);
    return true;
}

bool ReadBattery(const wchar_t* path, BatteryInfo* info) {
    HANDLE device =
        CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        return false;
    }
    ULONG wait = 0, tag = 0;
    DWORD returned = 0;
    BATTERY_QUERY_INFORMATION query = {};
    BATTERY_INFORMATION information = {};
    bool read = DeviceIoControl(device, IOCTL_BATTERY_QUERY_TAG, &wait, sizeof wait, &tag,
                                sizeof tag, &returned, nullptr) &&
                tag != BATTERY_TAG_INVALID;
    if (read) {
        query.BatteryTag = tag;
        query.InformationLevel = BatteryInformation;
        read = DeviceIoControl(device, IOCTL_BATTERY_QUERY_INFORMATION, &query, sizeof query,
                               &information, sizeof information, &returned, nullptr) &&
               returned == sizeof information;
    }
    std::wstring maker, model;
    if (read) {
        QueryString(device, tag, BatteryManufactureName, &maker);
        QueryString(device, tag, BatteryDeviceName, &model);
        *info = DecodeBatteryInformation(information, maker, model);
    }
    CloseHandle(device);
    return read;
}

}  // namespace

BatteryInfo DecodeBatteryInformation(const BATTERY_INFORMATION& information,
                                     const std::wstring& maker, const std::wstring& device) {
    BatteryInfo info;
    info.manufacturer = Utf8(maker);
    info.model = Utf8(device);
    std::wstring chemistry;
    for (UCHAR c : information.Chemistry) {
        chemistry += static_cast<wchar_t>(c >= 0x20 && c < 0x7f ? c : 0);
    }
    info.technology = Utf8(chemistry);

    bool design = KnownCapacity(information.DesignedCapacity);
    bool full = KnownCapacity(information.FullChargedCapacity);
    if (design && full) {
        info.healthPercent = static_cast<double>(information.FullChargedCapacity) /
                             static_cast<double>(information.DesignedCapacity) * 100.0;
    }
    // Relative capacities are in units of the driver's own: a ratio, no
    // watt-hours. Otherwise they are in mWh.
    if (!(information.Capabilities & BATTERY_CAPACITY_RELATIVE)) {
        if (design) {
            info.designWh = information.DesignedCapacity / 1000.0;
        }
        if (full) {
            info.fullWh = information.FullChargedCapacity / 1000.0;
        }
    }
    if (information.CycleCount != 0) {
        info.cycleCount = information.CycleCount;
    }
    return info;
}

std::vector<BatteryInfo> ReadInstalledBatteries() {
    std::vector<BatteryInfo> batteries;
    HDEVINFO devices = SetupDiGetClassDevsW(&kBatteryClass, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices == INVALID_HANDLE_VALUE) {
        return batteries;
    }
    for (DWORD index = 0; index < kMaxBatteries; index++) {
        SP_DEVICE_INTERFACE_DATA entry = {};
        entry.cbSize = sizeof entry;
        if (!SetupDiEnumDeviceInterfaces(devices, nullptr, &kBatteryClass, index, &entry)) {
            break;
        }
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailW(devices, &entry, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) || size > 65536) {
            continue;
        }
        std::vector<unsigned char> buffer(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof *detail;
        BatteryInfo info;
        if (SetupDiGetDeviceInterfaceDetailW(devices, &entry, detail, size, nullptr, nullptr) &&
            ReadBattery(detail->DevicePath, &info)) {
            // Windows gives its batteries no short names; their order does.
            info.name = "BAT" + std::to_string(index);
            batteries.push_back(info);
        }
    }
    SetupDiDestroyDeviceInfoList(devices);
    return batteries;
}
