#include "capture_stdout.h"

#include <stdio.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

std::string CaptureStdout(void (*run)(void* context), void* context) {
    fflush(stdout);
    FILE* sink = tmpfile();
    if (sink == nullptr) {
        return "<tmpfile failed>";
    }
    int saved = dup(fileno(stdout));
    dup2(fileno(sink), fileno(stdout));
#ifdef _WIN32
    _setmode(fileno(stdout), _O_TEXT);  // the mode a console program starts with
#endif
    run(context);
    fflush(stdout);
    dup2(saved, fileno(stdout));
    close(saved);

    std::string bytes;
    char buffer[4096];
    rewind(sink);
    size_t length;
    while ((length = fread(buffer, 1, sizeof buffer, sink)) > 0) {
        bytes.append(buffer, length);
    }
    fclose(sink);
    return bytes;
}

std::string PlatformLineEnds(const std::string& text) {
#ifdef _WIN32
    std::string converted;
    for (char c : text) {
        if (c == '\n') {
            converted += '\r';
        }
        converted += c;
    }
    return converted;
#else
    return text;
#endif
}
