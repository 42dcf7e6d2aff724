// Reads the inputs into a LogParser. A collector's journal runs to tens of
// millions of lines: on a machine with threads, the files are read, split
// into lines and each line taken apart on a thread of its own, while the
// caller's thread follows the machines, batch by batch. The result is the
// same as reading it all on one thread.
#ifndef TOLVANE_REPORT_READ_LOG_READER_H
#define TOLVANE_REPORT_READ_LOG_READER_H

#include <string>

#include "report/read/input_files.h"
#include "report/read/log_parser.h"

// False with a message when an input can't be opened or read.
bool ReadLog(InputFiles* inputs, LogParser* parser, std::string* problem);

#endif
