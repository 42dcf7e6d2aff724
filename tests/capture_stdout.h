// Runs a piece of code with standard output sent to a temporary file and
// returns every byte that reached it, line ends as the C runtime wrote them.
#ifndef TOLVANE_TESTS_CAPTURE_STDOUT_H
#define TOLVANE_TESTS_CAPTURE_STDOUT_H

#include <string>

std::string CaptureStdout(void (*run)(void* context), void* context);

// "\n" as it reaches a text-mode stdout on this system.
std::string PlatformLineEnds(const std::string& text);

#endif
