// A stream of bytes cut into lines for whoever takes them apart.
#ifndef TOLVANE_REPORT_READ_LINE_SPLITTER_H
#define TOLVANE_REPORT_READ_LINE_SPLITTER_H

#include <stddef.h>

#include <string>
#include <string_view>

// Where a LineSplitter hands its lines.
class LineSink {
public:
    virtual ~LineSink() = default;
    virtual void Line(std::string_view line) = 0;
};

// Splits a stream of bytes into lines for a LogParser (or another sink). A line longer than
// kMaxLineLength can't be part of a report: it is dropped without being
// held, so memory stays bounded whatever the input.
class LineSplitter {
public:
    static const size_t kMaxLineLength = 4096;
    explicit LineSplitter(LineSink* parser) : parser_(parser) {}
    void Feed(const char* data, size_t size);
    // The end of a file: its last line, when no line feed ends it, is a
    // line of its own (and the next file starts a new one).
    void EndOfFile();

private:
    LineSink* parser_;
    std::string partial_;
    bool overlong_ = false;
};

#endif
