#include "document/text_decoder.h"

#include <algorithm>

TextDecoder::TextDecoder(DetectedEncoding detected, AnsiConverter ansiToUtf8)
    : encoding_(detected.encoding),
      skip_(detected.bomSize),
      ansiToUtf8_(ansiToUtf8),
      utf16_(detected.encoding == TextEncoding::Utf16Be) {}

std::string_view TextDecoder::Feed(const unsigned char* bytes, size_t count, bool last) {
  const size_t skipped = std::min(skip_, count);
  bytes += skipped;
  count -= skipped;
  skip_ -= skipped;
  std::string_view out;
  switch (encoding_) {
    case TextEncoding::Utf8Bom:
    case TextEncoding::Utf8:
      out = std::string_view(reinterpret_cast<const char*>(bytes), count);
      break;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
      out = FeedUtf16(bytes, count, last);
      break;
    case TextEncoding::Ansi:
      ansi_.append(reinterpret_cast<const char*>(bytes), count);
      if (last) {
        converted_ = ansiToUtf8_ ? ansiToUtf8_(ansi_) : ansi_;
        std::string().swap(ansi_);
        out = converted_;
      }
      break;
  }
  if (!out.empty()) lineEnds_.Scan(out.data(), out.size());
  utf8Size_ += out.size();
  return out;
}

// The UTF-16 converter takes whole units: a byte of a unit cut between pieces waits for the
// rest of it.
std::string_view TextDecoder::FeedUtf16(const unsigned char* bytes, size_t count, bool last) {
  std::string joined;
  if (!oddByte_.empty()) {
    joined = oddByte_ + std::string(reinterpret_cast<const char*>(bytes), count);
    oddByte_.clear();
    bytes = reinterpret_cast<const unsigned char*>(joined.data());
    count = joined.size();
  }
  if (!last && count % 2 != 0) {
    oddByte_.assign(1, static_cast<char>(bytes[count - 1]));
    --count;
  }
  utf16_.Feed(bytes, count, last, converted_);
  return converted_;
}
