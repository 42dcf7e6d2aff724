#include "report/read/text_decoder.h"

#include <string.h>

namespace {

const unsigned kReplacement = 0xFFFD;

}  // namespace

void TextDecoder::Feed(const char* data, size_t size) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
    // The mark takes at most three bytes, which may come one by one.
    while (encoding_ == Encoding::Unknown && size > 0) {
        start_[started_++] = *bytes++;
        size--;
        Decide(false);
    }
    if (size == 0) {
        return;
    }
    if (encoding_ == Encoding::Bytes || encoding_ == Encoding::Utf8Bom) {
        feed_(reinterpret_cast<const char*>(bytes), size);
    } else {
        DecodeUtf16(bytes, size);
    }
}

void TextDecoder::EndOfFile() {
    if (encoding_ == Encoding::Unknown) {
        Decide(true);
    }
    if (hasOddByte_ || highSurrogate_ != 0) {
        Emit(kReplacement);  // a file cut in the middle of a character
    }
    if (!out_.empty()) {
        feed_(out_.data(), out_.size());
        out_.clear();
    }
    endOfFile_();
    encoding_ = Encoding::Unknown;
    started_ = 0;
    hasOddByte_ = false;
    highSurrogate_ = 0;
}

// Settles the encoding once the bytes held are a mark or can no longer
// become one; bytes that turned out not to be a mark are handed on.
void TextDecoder::Decide(bool atEnd) {
    static const unsigned char kUtf8[] = {0xEF, 0xBB, 0xBF};
    if (started_ == 2 && start_[0] == 0xFF && start_[1] == 0xFE) {
        encoding_ = Encoding::Utf16Le;
    } else if (started_ == 2 && start_[0] == 0xFE && start_[1] == 0xFF) {
        encoding_ = Encoding::Utf16Be;
    } else if (started_ == 3 && memcmp(start_, kUtf8, 3) == 0) {
        encoding_ = Encoding::Utf8Bom;
    } else {
        bool halfUtf16 = started_ == 1 && (start_[0] == 0xFF || start_[0] == 0xFE);
        bool partUtf8 = started_ < 3 && memcmp(start_, kUtf8, started_) == 0;
        if (!atEnd && (halfUtf16 || partUtf8)) {
            return;
        }
        encoding_ = Encoding::Bytes;
        if (started_ > 0) {
            feed_(reinterpret_cast<const char*>(start_), started_);
        }
    }
}

void TextDecoder::DecodeUtf16(const unsigned char* data, size_t size) {
    bool bigEndian = encoding_ == Encoding::Utf16Be;
    for (size_t i = 0; i < size; i++) {
        if (!hasOddByte_) {
            oddByte_ = data[i];
            hasOddByte_ = true;
            continue;
        }
        hasOddByte_ = false;
        unsigned unit = bigEndian ? (oddByte_ << 8 | data[i]) : (data[i] << 8 | oddByte_);
        if (highSurrogate_ != 0) {
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                Emit(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00));
                highSurrogate_ = 0;
                continue;
            }
            Emit(kReplacement);  // a high half alone
            highSurrogate_ = 0;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            highSurrogate_ = unit;
        } else {
            Emit(unit >= 0xDC00 && unit <= 0xDFFF ? kReplacement : unit);
        }
    }
    if (!out_.empty()) {
        feed_(out_.data(), out_.size());
        out_.clear();
    }
}

void TextDecoder::Emit(unsigned codePoint) {
    if (codePoint < 0x80) {
        out_ += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out_ += static_cast<char>(0xC0 | codePoint >> 6);
        out_ += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out_ += static_cast<char>(0xE0 | codePoint >> 12);
        out_ += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out_ += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out_ += static_cast<char>(0xF0 | codePoint >> 18);
        out_ += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
        out_ += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out_ += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}
