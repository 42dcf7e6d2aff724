#include <stdio.h>

#include "report/run_report.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // Logs are read as bytes: a text-mode stdin would end at a stray
    // Ctrl+Z. CR LF line ends are taken care of by the parser.
    _setmode(_fileno(stdin), _O_BINARY);
#else
    // A standard descriptor started closed is held by /dev/null opened the
    // wrong way round, so that no file or temporary file we open takes its
    // number (the CSV would be read back as the log, the page go out as
    // standard output); reading or writing it fails as it would closed.
    for (int descriptor = 0; descriptor <= 2; descriptor++) {
        if (fcntl(descriptor, F_GETFD) == -1) {
            open("/dev/null", descriptor == 0 ? O_WRONLY : O_RDONLY);  // lowest free: this one
        }
    }
#endif
    return RunReport(argc, argv, stdin, stdout, stderr);
}
