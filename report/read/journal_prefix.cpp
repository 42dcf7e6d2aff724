#include "report/read/journal_prefix.h"

#include <string.h>

namespace {

size_t ParseIsoTime(std::string_view line, JournalPrefix* prefix);

// The identifier and message after a journal time: "[host ]ident[pid]: message".
std::string_view SplitIdentifier(std::string_view rest, JournalPrefix* prefix) {
    const char* colon = static_cast<const char*>(memchr(rest.data(), ':', rest.size()));
    if (!colon) {
        prefix->fromTolvane = false;
        return {};
    }
    std::string_view who = rest.substr(0, static_cast<size_t>(colon - rest.data()));
    // Its last word is the identifier; the host is all before it, spaces
    // and all ("My Laptop tolvane[812]"), so split at the last space (found
    // by memchr, which is quicker than a loop back over every byte).
    const char* end = who.data() + who.size();
    const char* space = nullptr;
    for (const char* at = who.data();
         (at = static_cast<const char*>(memchr(at, ' ', static_cast<size_t>(end - at))));
         at++) {
        space = at;
    }
    std::string_view ident = who;
    if (space) {
        prefix->host = who.substr(0, static_cast<size_t>(space - who.data()));
        ident = who.substr(prefix->host.size() + 1);
    }
    size_t bracket = ident.find('[');
    if (bracket != std::string_view::npos && ident.back() == ']') {
        prefix->pid = ident.substr(bracket + 1, ident.size() - bracket - 2);
        ident = ident.substr(0, bracket);
    }
    prefix->fromTolvane = ident == "tolvane";
    std::string_view message = rest.substr(who.size() + 1);
    if (!message.empty() && message[0] == ' ') {
        message.remove_prefix(1);
    }
    return message;
}

// "YYYY-MM-DDTHH:MM:SS[.ffffff](+HHMM|+HH:MM|Z) "; returns the length of
// the prefix with its space, 0 when the line has none. The lines of one
// report share their time: the one read last is kept, and taken again
// where the next line begins with the same text.
size_t ParseIsoPrefix(std::string_view line, JournalPrefix* prefix) {
    static thread_local char lastText[48];
    static thread_local size_t lastLength = 0;
    static thread_local JournalPrefix last;
    if (lastLength != 0 && line.size() > lastLength &&
        memcmp(line.data(), lastText, lastLength) == 0) {
        prefix->hasTime = true;
        prefix->time = last.time;
        prefix->offsetMinutes = last.offsetMinutes;
        prefix->instant = last.instant;
        return lastLength;
    }
    size_t length = ParseIsoTime(line, prefix);
    if (length != 0 && length <= sizeof lastText) {
        memcpy(lastText, line.data(), length);
        lastLength = length;
        last = *prefix;
    }
    return length;
}

// The ISO time of a short-iso line itself.
size_t ParseIsoTime(std::string_view line, JournalPrefix* prefix) {
    CivilTime& time = prefix->time;
    if (line.size() < 21 || line[4] != '-' || line[7] != '-' || line[10] != 'T' ||
        line[13] != ':' || line[16] != ':' || !ReadDigits(line, 0, 4, &time.year) ||
        !ReadDigits(line, 5, 2, &time.month) || !ReadDigits(line, 8, 2, &time.day) ||
        !ReadDigits(line, 11, 2, &time.hour) || !ReadDigits(line, 14, 2, &time.minute) ||
        !ReadDigits(line, 17, 2, &time.second) || !IsValidDate(time.year, time.month, time.day) ||
        time.hour > 23 || time.minute > 59 || time.second > 60) {
        return 0;
    }
    size_t at = 19;
    if (line[at] == '.') {
        do {
            at++;
        } while (at < line.size() && line[at] >= '0' && line[at] <= '9');
    }
    int hours = 0, minutes = 0;
    if (at < line.size() && line[at] == 'Z') {
        at++;
    } else if (at < line.size() && (line[at] == '+' || line[at] == '-') &&
               ReadDigits(line, at + 1, 2, &hours)) {
        size_t minuteAt = at + 3 + (at + 3 < line.size() && line[at + 3] == ':' ? 1 : 0);
        if (!ReadDigits(line, minuteAt, 2, &minutes) || minutes > 59) {
            return 0;
        }
        prefix->offsetMinutes = (line[at] == '-' ? -1 : 1) * (hours * 60 + minutes);
        at = minuteAt + 2;
    } else {
        return 0;
    }
    if (at >= line.size() || line[at] != ' ') {
        return 0;
    }
    prefix->hasTime = true;
    prefix->instant = SecondsOf(time) - prefix->offsetMinutes * 60;
    return at + 1;
}

// The digits of a fraction of a second at line[at...], then the space.
size_t SkipFraction(std::string_view line, size_t at) {
    if (at < line.size() && line[at] == '.') {
        do {
            at++;
        } while (at < line.size() && line[at] >= '0' && line[at] <= '9');
    }
    return at < line.size() && line[at] == ' ' ? at + 1 : 0;
}

// "Mmm DD HH:MM:SS[.ffffff] " of journalctl's default output (and of
// -o short-precise).
size_t ParseClassicPrefix(std::string_view line) {
    static const std::string_view kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    int value;
    if (line.size() < 16 || line[3] != ' ' || line[6] != ' ' || line[9] != ':' || line[12] != ':' ||
        kMonths.find(line.substr(0, 3)) == std::string_view::npos ||
        kMonths.find(line.substr(0, 3)) % 3 != 0 ||
        (!ReadDigits(line, 4, 2, &value) && !(line[4] == ' ' && ReadDigits(line, 5, 1, &value))) ||
        !ReadDigits(line, 7, 2, &value) || !ReadDigits(line, 10, 2, &value) ||
        !ReadDigits(line, 13, 2, &value)) {
        return 0;
    }
    return SkipFraction(line, 15);
}

// "Www YYYY-MM-DD HH:MM:SS ZONE " of -o short-full.
size_t ParseFullPrefix(std::string_view line) {
    static const std::string_view kDays = "MonTueWedThuFriSatSun";
    int value;
    if (line.size() < 25 || line[3] != ' ' || line[8] != '-' || line[11] != '-' ||
        line[14] != ' ' || line[17] != ':' || line[20] != ':' || line[23] != ' ' ||
        kDays.find(line.substr(0, 3)) == std::string_view::npos ||
        kDays.find(line.substr(0, 3)) % 3 != 0 || !ReadDigits(line, 4, 4, &value) ||
        !ReadDigits(line, 9, 2, &value) || !ReadDigits(line, 12, 2, &value) ||
        !ReadDigits(line, 15, 2, &value) || !ReadDigits(line, 18, 2, &value) ||
        !ReadDigits(line, 21, 2, &value)) {
        return 0;
    }
    size_t zoneEnd = line.find(' ', 24);
    return zoneEnd == std::string_view::npos || zoneEnd == 24 ? 0 : zoneEnd + 1;
}

// "SSSSSSSSSS[.ffffff] " of -o short-unix: at least nine digits, so that
// no other line's number is taken for a time.
size_t ParseUnixPrefix(std::string_view line, JournalPrefix* prefix) {
    size_t at = 0;
    int64_t seconds = 0;
    while (at < line.size() && at < 12 && line[at] >= '0' && line[at] <= '9') {
        seconds = seconds * 10 + (line[at++] - '0');
    }
    size_t length = at >= 9 && at <= 11 ? SkipFraction(line, at) : 0;
    if (length != 0) {
        prefix->hasUnixTime = true;
        prefix->instant = seconds;
    }
    return length;
}

}  // namespace

std::string_view SplitJournalPrefix(std::string_view line, JournalPrefix* prefix) {
    *prefix = JournalPrefix();
    size_t length = 0;
    if (!line.empty() && line[0] >= '0' && line[0] <= '9') {
        length = line.size() > 4 && line[4] == '-' ? ParseIsoPrefix(line, prefix)
                                                   : ParseUnixPrefix(line, prefix);
    } else if (!line.empty() && line[0] >= 'A' && line[0] <= 'W') {
        length = line.size() > 8 && line[8] == '-' ? ParseFullPrefix(line)
                                                   : ParseClassicPrefix(line);
    }
    if (length == 0) {
        *prefix = JournalPrefix();
        return line;
    }
    return SplitIdentifier(line.substr(length), prefix);
}
