// The temporary file a page is written to before it is renamed into place,
// removed should a signal end the program first: an interrupted report
// leaves nothing beside the page.
#ifndef TOLVANE_REPORT_OUTPUT_TEMPORARY_FILE_H
#define TOLVANE_REPORT_OUTPUT_TEMPORARY_FILE_H

#include <string>

// Makes `path`, which must not exist, for writing (mode 0666 less the
// umask); -1 with errno where it can't. Until ForgetTemporaryFile(), a
// SIGINT, SIGTERM or SIGHUP (where not ignored) removes it and then ends
// the program as the signal would. One at a time.
int CreateTemporaryFile(const std::string& path);
// The file was renamed or removed: a signal no longer removes anything.
void ForgetTemporaryFile();

#endif
