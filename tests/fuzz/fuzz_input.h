// Helpers shared by the fuzz targets: a reader that takes numbers and pieces off the front of
// the fuzzer's bytes, conversions of bytes to UTF-16 text, and a check that stops the run with
// a message (a finding for libFuzzer, a failure for the replay under ctest).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                 \
  do {                                                                                        \
    if (!(condition)) {                                                                       \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);      \
      std::abort();                                                                           \
    }                                                                                         \
  } while (0)

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  size_t Left() const { return size_ - at_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  bool Bool() { return Byte() & 1; }
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return v;
  }
  // A number in [0, n).
  uint32_t Below(uint32_t n) { return n == 0 ? 0 : (n <= 256 ? Byte() % n : U32() % n); }
  // The next `n` bytes (fewer at the end).
  std::string_view Bytes(size_t n) {
    n = n < Left() ? n : Left();
    std::string_view s(reinterpret_cast<const char*>(data_ + at_), n);
    at_ += n;
    return s;
  }
  // A piece whose length is the next byte.
  std::string_view Piece() { return Bytes(Byte()); }
  std::string_view Rest() { return Bytes(Left()); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Bytes as UTF-16 code units, two bytes a unit, little-endian (an odd last byte is dropped).
inline std::u16string UnitsOf(std::string_view bytes) {
  std::u16string out;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  return out;
}

// Bytes as text that is mostly ASCII: each byte is one unit, bytes of 0xF0 and above stand for
// a few characters beyond ASCII (accents, CJK, a surrogate pair's halves, lone surrogates), so
// that the mutations of a text seed stay readable and still reach the non-ASCII paths.
inline std::u16string TextOf(std::string_view bytes) {
  static const char16_t kSpecial[16] = {0x00E9, 0x00C4, 0x00DF, 0x0130, 0x4E2D, 0xFFFD, 0xD83D, 0xDE00,
                                        0xD800, 0xDC00, 0x2028, 0xFEFF, 0x0000, 0x212A, 0x017F, 0x03A3};
  std::u16string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) out.push_back(c >= 0xF0 ? kSpecial[c - 0xF0] : static_cast<char16_t>(c));
  return out;
}
