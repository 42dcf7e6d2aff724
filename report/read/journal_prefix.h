// What journalctl puts in front of a message: its time in one of its short
// forms (-o short-iso, short, short-precise, short-full, short-unix), the
// host, and the identifier with the process id.
#ifndef TOLVANE_REPORT_READ_JOURNAL_PREFIX_H
#define TOLVANE_REPORT_READ_JOURNAL_PREFIX_H

#include <stdint.h>

#include <string_view>

#include "report/read/civil_time.h"

struct JournalPrefix {
    bool fromTolvane = true;  // the identifier is "tolvane"; always true without a prefix
    bool hasTime = false;     // -o short-iso: the journal's own local time and UTC offset
    CivilTime time;
    int offsetMinutes = 0;
    int64_t instant = 0;  // short-iso and short-unix: the time in seconds since 1970, UTC
    bool hasUnixTime = false;  // -o short-unix: `instant` is all the journal gave
    std::string_view host;  // the machine; empty without a prefix
    std::string_view pid;
};

// Splits what journalctl puts in front of a message off the line:
// "2026-12-09T08:30:00+0100 host tolvane[812]: " (short-iso, the offset
// also as +01:00, with or without fractions of a second and the host),
// "1765265400.123456 host tolvane[812]: " (short-unix), or
// "Dec 09 08:30:00[.123456] host tolvane[812]: " (short, short-precise) and
// "Wed 2026-12-09 08:30:00 CET host tolvane[812]: " (short-full), whose
// local times are not used: the report's own stamp says as much. Returns
// the message; a line without a prefix is returned whole.
std::string_view SplitJournalPrefix(std::string_view line, JournalPrefix* prefix);

#endif
