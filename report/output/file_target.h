// The file an output path names, and whether the report may replace it:
// a symlink is followed as the system follows it, never one that another
// user planted in a folder open to all; a file that is read-only, or that
// is not what the report wrote there before, is left alone.
#ifndef TOLVANE_REPORT_OUTPUT_FILE_TARGET_H
#define TOLVANE_REPORT_OUTPUT_FILE_TARGET_H

#include <sys/types.h>

#include <string>

struct FileTarget {
    std::string path;      // the file itself: where the symlinks lead
    std::string folder;    // the folder it is in, as messages name it
    bool exists = false;
    bool regular = true;   // a regular file, or none yet: replaced whole
    unsigned mode = 0;     // an existing regular file's permissions
    long long owner = -1;  // and its owner and group, where the system has them
    long long group = -1;
};

// "PATH: REASON" for errno `error`: the message of every file the report
// can't write.
std::string Failure(const std::string& path, int error);

// Finds the file `path` names. On Linux, each symlink on the way is
// followed only where it belongs to the caller or to the owner of its
// folder, or where its folder is not sticky; the system must then open
// the path to the very same file (so that its own protections, such as
// fs.protected_symlinks, have their say). An existing regular file is
// replaced only where it is writable by its mode (root included) and,
// where `signature` is given (what every page tolvane-report writes
// begins with), empty or beginning with it. False with a message naming
// the path when it may not be written.
bool FindFileTarget(const std::string& path, const std::string& signature, FileTarget* target,
                    std::string* problem);

#endif
