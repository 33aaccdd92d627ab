// UTF-8 / UTF-16 conversion used by the document loader, settings and the user interface.
// Invalid input never stops a conversion: a lone surrogate or a malformed UTF-8 sequence
// becomes U+FFFD, as the system converters do.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// UTF-16 code units to UTF-8.
std::string Utf16ToUtf8(std::u16string_view text);

// Appends the UTF-8 form of `text` to `out`.
void AppendUtf8(std::string& out, std::u16string_view text);

// Writes the UTF-8 form of `text` at `out`, which has room for three bytes a unit (the most one
// unit can need), and returns the end of what was written.
char* WriteUtf8(char* out, std::u16string_view text);

// Raw UTF-16 bytes (little- or big-endian) to UTF-8. Only whole code units count:
// an odd last byte is ignored.
std::string Utf16BytesToUtf8(const unsigned char* bytes, size_t byteCount, bool bigEndian);

// Number of UTF-8 bytes Utf16BytesToUtf8 produces for the same input.
size_t Utf8LengthOfUtf16Bytes(const unsigned char* bytes, size_t byteCount, bool bigEndian);

// A number in decimal digits.
std::u16string DecimalText(unsigned long long value);
// A number in lower-case hexadecimal digits, without a prefix.
std::u16string HexText(unsigned long long value);

// The length of the longest prefix of `text` of at most `maxBytes` bytes that does not end
// inside a UTF-8 sequence (for fixed-size fields that take UTF-8).
size_t Utf8PrefixLength(std::string_view text, size_t maxBytes);

// UTF-8 to UTF-16 code units.
std::u16string Utf8ToUtf16(std::string_view text);

// Converts UTF-16 bytes that arrive in pieces of even length (only the last may be odd).
// A high surrogate at the end of one piece waits for its low half in the next. The result
// of all pieces equals Utf16BytesToUtf8 of the whole. `out` is overwritten and its storage
// reused from piece to piece.
class Utf16ChunkDecoder {
 public:
  explicit Utf16ChunkDecoder(bool bigEndian) : bigEndian_(bigEndian) {}
  void Feed(const unsigned char* bytes, size_t count, bool last, std::string& out);

 private:
  bool bigEndian_;
  char16_t pendingHigh_ = 0;
};
