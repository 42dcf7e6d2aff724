// One line of a Tolvane log, taken apart: what kind of line it is and what
// it says. Lines come as the monitor wrote them, or with the prefix that
// journalctl puts in front (-o short-iso, short, short-precise, short-full,
// short-unix); see SplitJournalPrefix.
#ifndef TOLVANE_REPORT_LOG_LINE_H
#define TOLVANE_REPORT_LOG_LINE_H

#include <stdint.h>

#include <string_view>

#include "report/civil_time.h"
#include "report/log_types.h"

enum class LineKind {
    Other,        // anything that is not part of a report: skipped
    Status,       // "MM/DD/YY HH:MM:SS  Power source: ...  Status: ..."
    Remaining,    // "Battery life remaining     : N seconds."
    FullLife,     // "Full battery life available: N seconds."
    RunBoundary,  // the banner of a start, or a message the monitor ends with
};

struct ParsedLine {
    LineKind kind = LineKind::Other;
    // Status lines: the stamp (YY is 19YY from 69 on, else 20YY, as
    // strptime's %y reads it), the power source and the
    // charge in percent; -1 where the line shows none ("??%", "Status:
    // Unknown") or one above 100, which is no percentage to trust.
    CivilTime stamp;
    PowerSource source = PowerSource::Unknown;
    int charge = -1;
    // Remaining and FullLife lines: the seconds shown.
    int64_t seconds = 0;
};

// Whole lines only: a line cut off anywhere (by a kill, by the end of a
// file) is Other, never a report with a wrong figure.
ParsedLine ParseMessage(std::string_view message);

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
