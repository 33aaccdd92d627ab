// A text file's bytes, read in pieces, as the editor's UTF-8: the byte-order mark skipped,
// UTF-16 of either byte order converted (a surrogate pair split between pieces joined, an odd
// last byte dropped), UTF-8 passed on as it is, and the line ends noted on the way.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "common/utf.h"
#include "document/encoding.h"

class TextDecoder {
 public:
  // The system's code page is converted whole, at the last piece (its characters may span
  // pieces), by `ansiToUtf8`; without one the bytes are taken as they are.
  using AnsiConverter = std::string (*)(std::string_view bytes);
  explicit TextDecoder(DetectedEncoding detected, AnsiConverter ansiToUtf8 = nullptr);

  // The UTF-8 of the next piece of the file (the first piece is the file's start, mark
  // included), valid until the next call; `last` with the final piece.
  std::string_view Feed(const unsigned char* bytes, size_t count, bool last);

  int LineEndMode() const { return lineEnds_.Mode(); }  // as DetectEolMode
  size_t Utf8Size() const { return utf8Size_; }

 private:
  std::string_view FeedUtf16(const unsigned char* bytes, size_t count, bool last);

  TextEncoding encoding_;
  size_t skip_;  // mark bytes still to skip
  AnsiConverter ansiToUtf8_;
  Utf16ChunkDecoder utf16_;
  std::string oddByte_;  // the first byte of a unit whose second comes with the next piece
  std::string converted_;
  std::string ansi_;
  LineEndScan lineEnds_;
  size_t utf8Size_ = 0;
};
