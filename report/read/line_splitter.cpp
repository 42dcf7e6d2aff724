#include "report/read/line_splitter.h"

#include <string.h>

void LineSplitter::Feed(const char* data, size_t size) {
    const char* end = data + size;
    while (data < end) {
        const char* feed = static_cast<const char*>(memchr(data, '\n', end - data));
        const char* stop = feed ? feed : end;
        size_t length = stop - data;
        if (overlong_ || partial_.size() + length > kMaxLineLength) {
            partial_.clear();
            overlong_ = true;
        } else if (!feed) {
            partial_.append(data, length);
        } else if (partial_.empty()) {
            parser_->Line(std::string_view(data, length));
        } else {
            partial_.append(data, length);
            parser_->Line(partial_);
            partial_.clear();
        }
        if (feed) {
            overlong_ = false;
        }
        data = feed ? feed + 1 : end;
    }
}

void LineSplitter::EndOfFile() {
    if (!partial_.empty()) {
        parser_->Line(partial_);
    }
    partial_.clear();
    overlong_ = false;
}
