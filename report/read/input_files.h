// The files tolvane-report reads: all checked before anything is read, each
// opened only in its turn (so that three years of daily logs don't run out
// of file descriptors), each through its own TextDecoder.
#ifndef TOLVANE_REPORT_READ_INPUT_FILES_H
#define TOLVANE_REPORT_READ_INPUT_FILES_H

#include <stdio.h>

#include <functional>
#include <string>
#include <vector>

#include "report/read/text_decoder.h"

// "standard input" or "standard output" for "-", otherwise the name.
std::string ShownName(const std::string& name, bool output);

class InputFiles {
public:
    // `names` in the order they are read, "-" for `in`.
    InputFiles(const std::vector<std::string>& names, FILE* in);
    ~InputFiles();
    InputFiles(const InputFiles&) = delete;
    InputFiles& operator=(const InputFiles&) = delete;

    // Each can be opened for reading, is not a directory and is given
    // once (by name, or by device and inode); else a message naming the
    // first one that isn't, for standard error.
    std::string Check();
    // When `path` is a regular file that is also one of the inputs, the
    // message that says so; else "". By device and inode where the system
    // has them (by volume and file index on Windows).
    std::string Overwrites(const std::string& path) const;
    // Reads every file in its turn into `decoder`, telling `starting` the
    // name of each (as messages call it) before; false with a message when
    // one can't be opened or read.
    bool Read(TextDecoder* decoder, const std::function<void(const std::string&)>& starting,
              std::string* problem);
    bool ReadsStandardInput() const;

private:
    std::vector<std::string> names_;
    FILE* in_;
    // Pipes and devices stay open from Check on: opening a FIFO again
    // could lose its writer.
    std::vector<FILE*> kept_;
};

#endif
