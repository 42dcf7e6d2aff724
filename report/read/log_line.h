// One line of a Tolvane log, taken apart: what kind of line it is and what
// it says. Lines come as the monitor wrote them, or with the prefix that
// journalctl puts in front (see journal_prefix.h).
#ifndef TOLVANE_REPORT_READ_LOG_LINE_H
#define TOLVANE_REPORT_READ_LOG_LINE_H

#include <stdint.h>

#include <string_view>

#include "report/read/civil_time.h"
#include "report/read/journal_prefix.h"
#include "report/read/log_types.h"

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

// The monitor's stamp "MM/DD/YY HH:MM:SS" at the start of `text`: YY from
// 69 on is 19YY, else 20YY, as strptime's %y reads it. The reports and the
// battery health lines are stamped alike, and read alike.
bool ParseStamp(std::string_view text, CivilTime* time);

// Whole lines only: a line cut off anywhere (by a kill, by the end of a
// file) is Other, never a report with a wrong figure.
ParsedLine ParseMessage(std::string_view message);


// A line taken apart as far as it can be without the machines (so on
// another thread: see ReadLog); its views point into the line.
struct LogEntry {
    JournalPrefix prefix;
    std::string_view message;
    ParsedLine parsed;
    bool crlf = false;  // the line ended in CR LF
};
// A line without its line feed (a CR before it is dropped); false for a
// line that says nothing to the report.
bool TakeApart(std::string_view line, LogEntry* entry);

#endif
