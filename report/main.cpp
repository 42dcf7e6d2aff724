#include <stdio.h>

#include "report/run_report.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // Logs are read as bytes: a text-mode stdin would end at a stray
    // Ctrl+Z. CR LF line ends are taken care of by the parser.
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    return RunReport(argc, argv, stdin, stdout, stderr);
}
