// Tables for a terminal: columns padded by characters, not bytes, each as
// wide as its widest cell needs.
#ifndef TOLVANE_REPORT_OUTPUT_TEXT_TABLE_H
#define TOLVANE_REPORT_OUTPUT_TEXT_TABLE_H

#include <stddef.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "report/output/summary_tables.h"

// The characters of UTF-8 text, as a terminal lays them out (one column
// each, the common case).
size_t Characters(const std::string& text);
// `text` in at most `width` characters (one or more): a longer one cut
// after whole characters, an ellipsis last.
std::string CutTo(const std::string& text, size_t width);
// The widths given (negative: left-aligned), each widened to the widest
// cell of its column, so that a figure too long for its column (a session
// of 27 years, after a clock set right) moves its whole column, not the
// rest of its row.
std::vector<int> FitWidths(const Table& table, std::vector<int> widths);
// A table in columns of at least the widths given (see FitWidths), a gap
// of `gaps[i]` spaces before column i; a cell with no value shows "-".
// There is a width and a gap for every column.
void WriteTable(FILE* out, const Table& table, const std::vector<int>& given,
                const std::vector<int>& gaps);

#endif
