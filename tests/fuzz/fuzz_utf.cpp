// Differential: the program's UTF-16 <-> UTF-8 converters against the plain reference
// conversions of reference_utf.h, on any bytes, and the converters against each other (the
// piecewise decoder, the length function, the prefix cut, the round trip of valid text).
#include <string>

#include "common/utf.h"
#include "fuzz_input.h"
#include "reference_utf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t how = in.Byte();
  const std::string_view bytes = in.Rest();
  const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data());
  const bool bigEndian = how & 1;

  // UTF-16 -> UTF-8, three ways, against the reference.
  const std::u16string units = ReferenceUnits(bytes, bigEndian);
  const std::string expected = ReferenceUtf16ToUtf8(units);
  FUZZ_CHECK(Utf16ToUtf8(units) == expected);
  FUZZ_CHECK(Utf16BytesToUtf8(raw, bytes.size(), bigEndian) == expected);
  FUZZ_CHECK(Utf8LengthOfUtf16Bytes(raw, bytes.size(), bigEndian) == expected.size());
  std::string appended = "x";
  AppendUtf8(appended, units);
  FUZZ_CHECK(appended == "x" + expected);
  std::string room(units.size() * 3 + 1, '\0');
  char* end = WriteUtf8(room.data(), units);
  FUZZ_CHECK(std::string_view(room.data(), static_cast<size_t>(end - room.data())) == expected);

  // The same bytes in pieces of even length (the last may be odd).
  Utf16ChunkDecoder chunks(bigEndian);
  std::string whole, piece;
  size_t at = 0;
  uint32_t state = how;
  while (true) {
    state = state * 1103515245u + 12345u;
    size_t n = 2 * ((state >> 16) % 9);
    if (at + n >= bytes.size()) n = bytes.size() - at;
    const bool last = at + n == bytes.size();
    chunks.Feed(raw + at, n, last, piece);
    whole += piece;
    at += n;
    if (last) break;
  }
  FUZZ_CHECK(whole == expected);

  // UTF-8 -> UTF-16 against the reference, and back for text that was valid.
  const std::u16string wide = Utf8ToUtf16(bytes);
  FUZZ_CHECK(wide == ReferenceUtf8ToUtf16(bytes));
  if (wide.find(u'\xFFFD') == std::u16string::npos) FUZZ_CHECK(Utf16ToUtf8(wide) == bytes);
  FUZZ_CHECK(Utf8ToUtf16(expected) == ReferenceUtf8ToUtf16(expected));

  // The prefix cut: no longer than asked, never inside a sequence of valid text.
  const size_t limit = how >> 1;
  const size_t cut = Utf8PrefixLength(expected, limit);
  FUZZ_CHECK(cut <= limit && cut <= expected.size());
  FUZZ_CHECK(cut == expected.size() || (static_cast<unsigned char>(expected[cut]) & 0xC0) != 0x80);
  FUZZ_CHECK(cut + 4 > std::min(limit, expected.size()));

  // Decimal numbers.
  uint64_t value = 0;
  for (size_t i = 0; i < 8 && i < bytes.size(); ++i) value = (value << 8) | raw[i];
  const std::u16string digits = DecimalText(value);
  FUZZ_CHECK(Utf16ToUtf8(digits) == std::to_string(value));
  return 0;
}
