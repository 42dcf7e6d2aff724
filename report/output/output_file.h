// Where the report goes: a page written whole or not at all, and the CSV
// held back until every input has been read.
#ifndef TOLVANE_REPORT_OUTPUT_OUTPUT_FILE_H
#define TOLVANE_REPORT_OUTPUT_OUTPUT_FILE_H

#include <stdio.h>

#include <functional>
#include <string>

// Writes the file at `path` through `write`. A regular file (new, or one
// that its symlinks lead to, followed as FindFileTarget follows them) is
// written to a temporary file beside it and renamed into place once
// complete, so a failure or a signal leaves the old one as it was; a new
// file gets mode 0666 less the umask, a replaced one keeps its mode. An
// existing one is replaced only as FindFileTarget allows (`signature`:
// what the files it may replace begin with; "" for any). Anything else (a
// device, a FIFO, a socket) is written as a stream and never removed.
// False with a message naming the file (or the folder, where the
// temporary file can't be made) when it can't be written; nothing but
// the temporary file is ever removed.
bool WriteFileWhole(const std::string& path, const std::string& signature,
                    const std::function<void(FILE*)>& write, std::string* problem);

// A stream whose contents go to standard output only once the report is
// complete: a temporary file, or memory where none can be had.
class HeldOutput {
public:
    HeldOutput() = default;
    ~HeldOutput();
    HeldOutput(const HeldOutput&) = delete;
    HeldOutput& operator=(const HeldOutput&) = delete;

    // Makes the stream; false when neither could be had (errno says why).
    bool Open();
    FILE* Stream() { return file_; }
    // Copies what was written to `out`; false when it could not be kept or
    // copied (errno says why).
    bool CopyTo(FILE* out);

private:
    FILE* file_ = nullptr;
    char* memory_ = nullptr;
    size_t memorySize_ = 0;
    bool inMemory_ = false;
};

#endif
