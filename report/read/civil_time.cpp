#include "report/read/civil_time.h"

#include <stdio.h>

// Howard Hinnant's days_from_civil and civil_from_days: exact for every
// date, eras of 400 years keep the arithmetic in range.
int64_t DaysFromCivil(int year, int month, int day) {
    int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yearOfEra = y - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int* year, int* month, int* day) {
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    int64_t dayOfEra = days - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t shifted = (5 * dayOfYear + 2) / 153;
    *day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    *month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    *year = static_cast<int>(yearOfEra + era * 400 + (*month <= 2 ? 1 : 0));
}

bool IsValidDate(int year, int month, int day) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) {
        return false;
    }
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

int64_t SecondsOf(const CivilTime& time) {
    return DaysFromCivil(time.year, time.month, time.day) * 86400 + time.hour * 3600 +
           time.minute * 60 + time.second;
}

CivilTime CivilFromSeconds(int64_t seconds) {
    int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    int64_t rest = seconds - days * 86400;
    CivilTime time;
    CivilFromDays(days, &time.year, &time.month, &time.day);
    time.hour = static_cast<int>(rest / 3600);
    time.minute = static_cast<int>(rest / 60 % 60);
    time.second = static_cast<int>(rest % 60);
    return time;
}

int64_t DayOf(const CivilTime& time) {
    return DaysFromCivil(time.year, time.month, time.day);
}

int WeekdayOf(int64_t days) {
    // 1970-01-01 was a Thursday.
    return static_cast<int>(((days + 3) % 7 + 7) % 7);
}

bool ParseIsoDate(std::string_view text, int64_t* days) {
    int year, month, day;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !ReadDigits(text, 0, 4, &year) ||
        !ReadDigits(text, 5, 2, &month) || !ReadDigits(text, 8, 2, &day) ||
        !IsValidDate(year, month, day)) {
        return false;
    }
    *days = DaysFromCivil(year, month, day);
    return true;
}

std::string FormatIsoTime(const CivilTime& time) {
    char text[32];
    snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", time.year, time.month, time.day,
             time.hour, time.minute, time.second);
    return text;
}

std::string FormatIsoDate(int64_t days) {
    int year, month, day;
    CivilFromDays(days, &year, &month, &day);
    char text[16];
    snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

std::string FormatOffset(int offsetMinutes) {
    char text[16];
    int magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    snprintf(text, sizeof text, "%c%02d:%02d", offsetMinutes < 0 ? '-' : '+', magnitude / 60 % 100,
             magnitude % 60);
    return text;
}
