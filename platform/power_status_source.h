// The one place where Tolvane meets the machine's power management.
//
// On Windows the record is the platform's own SYSTEM_POWER_STATUS; elsewhere
// it is a record of the same 12-byte layout, filled from what that system
// offers. The monitor above this header never knows which system it is on.
#ifndef TOLVANE_PLATFORM_POWER_STATUS_SOURCE_H
#define TOLVANE_PLATFORM_POWER_STATUS_SOURCE_H

#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
struct SYSTEM_POWER_STATUS {
    uint8_t ACLineStatus;        // 0 battery, 1 mains, 255 not reported
    uint8_t BatteryFlag;         // 1 high, 2 low, 4 critical, 8 charging, 128 none; 255 not reported
    uint8_t BatteryLifePercent;  // 0..100; 255 not reported
    uint8_t Reserved1;           // always 0 here
    uint32_t BatteryLifeTime;      // seconds left; 0xFFFFFFFF not reported
    uint32_t BatteryFullLifeTime;  // seconds on a full charge; 0xFFFFFFFF not reported
};
#endif

// The monitor compares and copies records as 12-byte blocks, so the layout
// must be exactly this on every target.
static_assert(sizeof(SYSTEM_POWER_STATUS) == 12, "power status record is 12 bytes");
static_assert(offsetof(SYSTEM_POWER_STATUS, ACLineStatus) == 0, "ACLineStatus at 0");
static_assert(offsetof(SYSTEM_POWER_STATUS, BatteryFlag) == 1, "BatteryFlag at 1");
static_assert(offsetof(SYSTEM_POWER_STATUS, BatteryLifePercent) == 2, "BatteryLifePercent at 2");
static_assert(offsetof(SYSTEM_POWER_STATUS, Reserved1) == 3, "Reserved1 at 3");
static_assert(offsetof(SYSTEM_POWER_STATUS, BatteryLifeTime) == 4, "BatteryLifeTime at 4");
static_assert(offsetof(SYSTEM_POWER_STATUS, BatteryFullLifeTime) == 8, "BatteryFullLifeTime at 8");
static_assert(sizeof(SYSTEM_POWER_STATUS::BatteryLifeTime) == 4, "BatteryLifeTime is 32-bit");
static_assert(sizeof(SYSTEM_POWER_STATUS::BatteryFullLifeTime) == 4, "BatteryFullLifeTime is 32-bit");

const uint8_t kAcLineNotReported = 255;
const uint32_t kLifeTimeNotReported = 0xFFFFFFFFu;

// Fills all 12 bytes of *status with the present power status and returns
// true; on failure returns false and sets *errorCode (the record is then not
// to be looked at).
bool ReadPowerStatus(SYSTEM_POWER_STATUS* status, int32_t* errorCode);

// The pause between two polls; the monitor always asks for 1000 ms. It
// lasts that long even when a signal wakes it early. Returns false, with
// the system's error code in *errorCode, when it finds that standard output
// has gone (its reader left, and SIGPIPE did not end the program).
bool PauseMilliseconds(uint32_t milliseconds, int32_t* errorCode);

// Writes `length` bytes to standard output, in text mode, with one call
// where the system takes them whole; what is left after a partial or
// interrupted write is written again. Returns false, with the system's
// error code in *errorCode, when the output takes no more.
bool WriteOutput(const char* text, size_t length, int32_t* errorCode);

#endif
