#include "platform/linux/power_supply_class.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "platform/linux/power_supply_mapping.h"

const char* const kPowerSupplyClassDirectory = "/sys/class/power_supply";

// Every attribute we read is a short word or number; a file that fills this
// buffer is not one of ours. A sysfs uevent file is at most one page.
static const size_t kAttributeBufferSize = 128;
static const size_t kUeventBufferSize = 8192;

// Reads a small file below the class directory in one read. Returns its
// length, or -1 when it can't be read or doesn't fit. Opened non-blocking so
// that a FIFO planted in the tree can't stall the poll.
static ssize_t ReadSmallFile(int directoryFd, const char* path, char* buffer, size_t size) {
    int fd = openat(directoryFd, path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return -1;
    }
    ssize_t length = read(fd, buffer, size);
    close(fd);
    return (length >= 0 && (size_t)length < size) ? length : -1;
}

static void ReadAttributeFile(int directoryFd, const char* name, SupplyAttribute attribute,
                              SupplyReading* reading) {
    char path[NAME_MAX + 32];
    char text[kAttributeBufferSize];
    snprintf(path, sizeof path, "%s/%s", name, kSupplyAttributeFiles[attribute]);
    ssize_t length = ReadSmallFile(directoryFd, path, text, sizeof text);
    if (length >= 0) {
        SetSupplyAttribute(reading, attribute, text, (size_t)length);
    }
}

// One read of the supply's uevent file gives every attribute the driver
// could read: one open, read and close per supply and poll. Where there is
// no uevent (or it can't be read whole, as when one attribute fails with
// EIO) or it names none of our attributes, the attribute files are read one
// by one; older kernels leave the type out of the uevent, and then only that
// file is read.
static void ReadSupply(int directoryFd, const char* name, SupplyReading* reading) {
    ClearSupplyReading(reading);
    char path[NAME_MAX + 32];
    char uevent[kUeventBufferSize];
    snprintf(path, sizeof path, "%s/uevent", name);
    ssize_t length = ReadSmallFile(directoryFd, path, uevent, sizeof uevent);
    if (length >= 0) {
        ParseSupplyUevent(reading, uevent, (size_t)length);
        if (reading->known != 0) {
            if (!(reading->known & (1u << kAttrType))) {
                ReadAttributeFile(directoryFd, name, kAttrType, reading);
            }
            return;
        }
        // An empty uevent, or one with nothing we know: no better than none.
    }
    for (int attribute = 0; attribute < kSupplyAttributeCount; attribute++) {
        ReadAttributeFile(directoryFd, name, (SupplyAttribute)attribute, reading);
    }
}

// Whether `name` is a peripheral found on an earlier reading; if so it is
// marked as still there.
static bool IsKnownPeripheral(KnownPeripherals* peripherals, const char* name) {
    for (int i = 0; i < peripherals->count; i++) {
        if (strcmp(peripherals->names[i], name) == 0) {
            peripherals->seen[i] = true;
            return true;
        }
    }
    return false;
}

static void RememberPeripheral(KnownPeripherals* peripherals, const char* name) {
    if (peripherals->count < kMaxKnownPeripherals && strlen(name) < (size_t)kPeripheralNameSize) {
        int i = peripherals->count++;
        strcpy(peripherals->names[i], name);
        peripherals->seen[i] = true;
    }
}

// Drops the names not seen on this reading and clears the marks for the next.
static void ForgetVanishedPeripherals(KnownPeripherals* peripherals) {
    int kept = 0;
    for (int i = 0; i < peripherals->count; i++) {
        if (peripherals->seen[i]) {
            if (kept != i) {
                memcpy(peripherals->names[kept], peripherals->names[i], kPeripheralNameSize);
            }
            peripherals->seen[kept++] = false;
        }
    }
    peripherals->count = kept;
}

bool ReadPowerSupplyClass(const char* classDirectory, const SourceClocks* clocks,
                          BatteryTimeEstimate* estimate, KnownPeripherals* peripherals,
                          SYSTEM_POWER_STATUS* status, int32_t* errorCode) {
    int directoryFd = open(classDirectory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd < 0) {
        *errorCode = errno;
        return false;
    }
    // The supplies that count, and one more place to read the next into.
    SupplyReading supplies[kMaxSupplies + 1];
    int count = 0;
    alignas(struct dirent64) char entries[4096];
    for (;;) {
        ssize_t length = getdents64(directoryFd, entries, sizeof entries);
        if (length < 0) {
            *errorCode = errno;
            close(directoryFd);
            return false;
        }
        if (length == 0) {
            break;
        }
        for (ssize_t offset = 0; offset < length;) {
            const struct dirent64* entry = (const struct dirent64*)(entries + offset);
            offset += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] == '.' || IsKnownPeripheral(peripherals, name)) {
                continue;
            }
            ReadSupply(directoryFd, name, &supplies[count]);
            switch (RoleOfSupply(&supplies[count])) {
                case kRoleAdapter:
                case kRoleBattery:
                    if (count < kMaxSupplies) {
                        count++;  // beyond the table, left out
                    }
                    break;
                case kRolePeripheral:
                    RememberPeripheral(peripherals, name);
                    break;
                case kRoleNone:
                    break;
            }
        }
    }
    close(directoryFd);
    ForgetVanishedPeripherals(peripherals);
    BatteryTimeFacts facts;
    ComputePowerStatus(supplies, count, status, &facts);
    EstimateBatteryTimes(estimate, &facts, clocks, status);
    return true;
}
