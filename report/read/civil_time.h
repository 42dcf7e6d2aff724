// Calendar arithmetic on the times a log shows: no time zone, no C library
// clock, so a log reads the same on every machine.
#ifndef TOLVANE_REPORT_READ_CIVIL_TIME_H
#define TOLVANE_REPORT_READ_CIVIL_TIME_H

#include <stdint.h>

#include <string>
#include <string_view>

struct CivilTime {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int year, int month, int day);
void CivilFromDays(int64_t days, int* year, int* month, int* day);
bool IsValidDate(int year, int month, int day);

// Seconds since 1970-01-01 00:00:00 of the time read as if it were UTC.
int64_t SecondsOf(const CivilTime& time);
CivilTime CivilFromSeconds(int64_t seconds);
int64_t DayOf(const CivilTime& time);

// Monday 0 to Sunday 6.
int WeekdayOf(int64_t days);

// "YYYY-MM-DD" to a day number; false for anything else or a date that
// does not exist.
bool ParseIsoDate(std::string_view text, int64_t* days);

// "YYYY-MM-DDTHH:MM:SS", "YYYY-MM-DD" and "+HH:MM".
std::string FormatIsoTime(const CivilTime& time);
std::string FormatIsoDate(int64_t days);
std::string FormatOffset(int offsetMinutes);

// Reads exactly `count` decimal digits at text[at...]; false otherwise.
// Inline: a log's every line takes a dozen.
inline bool ReadDigits(std::string_view text, size_t at, size_t count, int* value) {
    if (at + count > text.size()) {
        return false;
    }
    int result = 0;
    for (size_t i = at; i < at + count; i++) {
        unsigned digit = static_cast<unsigned char>(text[i]) - '0';
        if (digit > 9) {
            return false;
        }
        result = result * 10 + static_cast<int>(digit);
    }
    *value = result;
    return true;
}

#endif
