#include "report/read/log_line.h"

#include <string.h>

namespace {

const std::string_view kPowerSource = "  Power source: ";
const std::string_view kStatus = "Status: ";
const std::string_view kRemaining = "Battery life remaining     : ";
const std::string_view kFullLife = "Full battery life available: ";
const std::string_view kSeconds = " seconds.";
const std::string_view kFlags[] = {"High, ", "Low, ", "Critical, ", "Charging, ", "No battery, "};

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

// "MM/DD/YY HH:MM:SS"; YY from 69 on is 19YY, below 20YY (POSIX %y).
bool ParseStamp(std::string_view text, CivilTime* time) {
    int month, day, year;
    if (text.size() < 17 || text[2] != '/' || text[5] != '/' || text[8] != ' ' || text[11] != ':' ||
        text[14] != ':' || !ReadDigits(text, 0, 2, &month) || !ReadDigits(text, 3, 2, &day) ||
        !ReadDigits(text, 6, 2, &year) || !ReadDigits(text, 9, 2, &time->hour) ||
        !ReadDigits(text, 12, 2, &time->minute) || !ReadDigits(text, 15, 2, &time->second)) {
        return false;
    }
    time->year = (year >= 69 ? 1900 : 2000) + year;
    time->month = month;
    time->day = day;
    return IsValidDate(time->year, month, day) && time->hour < 24 && time->minute < 60 &&
           time->second <= 60;
}

namespace {

// The battery state after "Status: ": "Unknown", or the flags in their
// order, each at most once, and the charge "NN%" or "??%" ending the line.
bool ParseBatteryState(std::string_view text, int* charge) {
    *charge = -1;
    if (text == "Unknown") {
        return true;
    }
    for (std::string_view flag : kFlags) {
        if (!text.empty() && text[0] == flag[0] && StartsWith(text, flag)) {
            text.remove_prefix(flag.size());
        }
    }
    if (text == "??%") {
        return true;
    }
    int value = 0;
    if (text.size() < 2 || text.size() > 4 || text.back() != '%' ||
        !ReadDigits(text, 0, text.size() - 1, &value)) {
        return false;
    }
    *charge = value <= 100 ? value : -1;
    return true;
}

// "N seconds." after the label, N a signed 32-bit number as the monitor
// writes it.
bool ParseSeconds(std::string_view text, int64_t* seconds) {
    if (text.size() <= kSeconds.size() || text.substr(text.size() - kSeconds.size()) != kSeconds) {
        return false;
    }
    text.remove_suffix(kSeconds.size());
    bool negative = text[0] == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    int64_t value = 0;
    if (text.empty() || text.size() > 10) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    *seconds = negative ? -value : value;
    return *seconds >= INT32_MIN && *seconds <= INT32_MAX;
}

}  // namespace

ParsedLine ParseMessage(std::string_view message) {
    ParsedLine parsed;
    const size_t sourceAt = 17 + kPowerSource.size();
    const size_t statusAt = sourceAt + 9;
    // The first character tells the kinds apart: a status line begins with
    // its stamp's digits.
    char first = message.empty() ? '\0' : message[0];
    std::string_view label = first == 'B' ? kRemaining : kFullLife;
    if ((first == 'B' || first == 'F') && StartsWith(message, label)) {
        if (ParseSeconds(message.substr(label.size()), &parsed.seconds)) {
            parsed.kind = first == 'B' ? LineKind::Remaining : LineKind::FullLife;
        }
        return parsed;
    }
    if (first >= '0' && first <= '9' && message.size() > statusAt + kStatus.size() &&
        message.substr(17, kPowerSource.size()) == kPowerSource &&
        message.substr(statusAt, kStatus.size()) == kStatus && ParseStamp(message, &parsed.stamp) &&
        ParseBatteryState(message.substr(statusAt + kStatus.size()), &parsed.charge)) {
        std::string_view source = message.substr(sourceAt, 9);
        if (source == "Battery  ") {
            parsed.source = PowerSource::Battery;
        } else if (source == "AC       ") {
            parsed.source = PowerSource::Mains;
        } else if (source != "Unknown  ") {
            return parsed;
        }
        parsed.kind = LineKind::Status;
    } else if ((first == 'T' || first == 'B' || first == 'A') && (message == "Tolvane" || message == "Beginning monitoring..." ||
               message == "APM driver is currently DISABLED!" ||
               StartsWith(message, "APM driver access failed!  Error code = "))) {
        parsed.kind = LineKind::RunBoundary;
    }
    return parsed;
}

bool TakeApart(std::string_view line, LogEntry* entry) {
    if (line.size() > 3 && line[0] == '-' && line[1] == '-' && line[2] == ' ') {
        return false;  // journalctl's "-- Boot ... --" between the entries of two boots
    }
    entry->crlf = !line.empty() && line.back() == '\r';
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    entry->message = SplitJournalPrefix(line, &entry->prefix);
    if (!entry->prefix.fromTolvane) {
        return false;  // another program's line in the journal
    }
    entry->parsed = ParseMessage(entry->message);
    return entry->parsed.kind != LineKind::Other ||
           (entry->message.size() >= 35 && entry->message.substr(17, 18) == "  Battery health: ");
}
