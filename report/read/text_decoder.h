// The bytes of one input file as UTF-8 for the LineSplitter. A log saved by
// Windows PowerShell 5.1's `>` is UTF-16LE with a byte order mark, and
// Notepad may put a UTF-8 one in front; such files are decoded by their
// mark. A file without one is passed on as it is, byte for byte.
#ifndef TOLVANE_REPORT_READ_TEXT_DECODER_H
#define TOLVANE_REPORT_READ_TEXT_DECODER_H

#include <stddef.h>

#include <functional>
#include <string>
#include <utility>

#include "report/read/line_splitter.h"

class TextDecoder {
public:
    enum class Encoding { Unknown, Bytes, Utf8Bom, Utf16Le, Utf16Be };

    using Sink = std::function<void(const char* data, size_t size)>;

    explicit TextDecoder(LineSplitter* next)
        : feed_([next](const char* data, size_t size) { next->Feed(data, size); }),
          endOfFile_([next] { next->EndOfFile(); }) {}
    // The decoded bytes to `feed`, the end of each file to `endOfFile`.
    TextDecoder(Sink feed, std::function<void()> endOfFile)
        : feed_(std::move(feed)), endOfFile_(std::move(endOfFile)) {}
    // Any part of the file, split anywhere (in a code unit, between the
    // halves of a surrogate pair, in the mark itself).
    void Feed(const char* data, size_t size);
    // The end of the file: hands on what is held and ends the file for the
    // splitter; the next Feed starts a new file, with its own mark.
    void EndOfFile();
    // What the mark said, once the first bytes are in.
    Encoding Found() const { return encoding_; }

private:
    void Decide(bool atEnd);
    void DecodeUtf16(const unsigned char* data, size_t size);
    void Emit(unsigned codePoint);

    Sink feed_;
    std::function<void()> endOfFile_;
    Encoding encoding_ = Encoding::Unknown;
    unsigned char start_[3] = {};  // the first bytes, until the mark is known
    size_t started_ = 0;
    unsigned char oddByte_ = 0;  // the first half of a code unit
    bool hasOddByte_ = false;
    unsigned highSurrogate_ = 0;  // waiting for its low half
    std::string out_;
};

#endif
