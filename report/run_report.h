// The whole of tolvane-report: options, reading the log, the outputs.
#ifndef TOLVANE_REPORT_RUN_REPORT_H
#define TOLVANE_REPORT_RUN_REPORT_H

#include <stdio.h>

// Reads the files the command line names (or `in`), writes the report to
// `out` and messages to `err`; returns the exit status: 0, 1 when a file
// can't be read or written (and then nothing goes to `out`), 2 for a bad
// command line.
int RunReport(int argc, char** argv, FILE* in, FILE* out, FILE* err);

#endif
