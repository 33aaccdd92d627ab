#include "common/utf.h"

#include <cstring>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Reads one code point from UTF-16 units supplied by `unitAt`; advances `i`.
template <typename UnitAt>
char32_t NextCodePoint(UnitAt unitAt, size_t count, size_t& i) {
  char32_t u = unitAt(i++);
  if (u < 0xD800 || u > 0xDFFF) return u;
  if (u <= 0xDBFF && i < count) {
    char32_t low = unitAt(i);
    if (low >= 0xDC00 && low <= 0xDFFF) {
      ++i;
      return 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  return kReplacement;  // lone surrogate
}

inline size_t Utf8Width(char32_t cp) {
  return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

inline char* PutUtf8(char* out, char32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

template <typename UnitAt>
size_t MeasureUtf8(UnitAt unitAt, size_t count) {
  size_t total = 0;
  size_t i = 0;
  while (i < count) {
    char16_t u = unitAt(i);
    if (u < 0x80) {  // ASCII runs dominate real text
      ++total;
      ++i;
      continue;
    }
    total += Utf8Width(NextCodePoint(unitAt, count, i));
  }
  return total;
}

template <typename UnitAt>
void ConvertInto(UnitAt unitAt, size_t count, std::string& out) {
  out.resize(MeasureUtf8(unitAt, count));
  char* p = out.data();
  size_t i = 0;
  while (i < count) {
    char16_t u = unitAt(i);
    if (u < 0x80) {
      *p++ = static_cast<char>(u);
      ++i;
      continue;
    }
    p = PutUtf8(p, NextCodePoint(unitAt, count, i));
  }
}

template <typename UnitAt>
std::string ConvertToUtf8(UnitAt unitAt, size_t count) {
  std::string out;
  ConvertInto(unitAt, count, out);
  return out;
}

struct LittleEndianUnits {
  const unsigned char* b;
  char16_t operator()(size_t i) const { return static_cast<char16_t>(b[2 * i] | (b[2 * i + 1] << 8)); }
};
struct BigEndianUnits {
  const unsigned char* b;
  char16_t operator()(size_t i) const { return static_cast<char16_t>((b[2 * i] << 8) | b[2 * i + 1]); }
};

// Units of a piece, after an optional unit held back from the previous piece.
template <typename Units>
struct AfterHeldUnit {
  Units units;
  char16_t held;
  size_t lead;  // 1 when `held` comes first
  char16_t operator()(size_t i) const { return i < lead ? held : units(i - lead); }
};

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
  const char16_t* d = text.data();
  return ConvertToUtf8([d](size_t i) { return d[i]; }, text.size());
}

void AppendUtf8(std::string& out, std::u16string_view text) {
  const char16_t* d = text.data();
  size_t old = out.size();
  out.resize(old + MeasureUtf8([d](size_t i) { return d[i]; }, text.size()));
  WriteUtf8(out.data() + old, text);
}

char* WriteUtf8(char* out, std::u16string_view text) {
  const char16_t* d = text.data();
  auto unitAt = [d](size_t i) { return d[i]; };
  size_t i = 0;
  while (i < text.size()) {
    char16_t u = d[i];
    if (u < 0x80) {
      *out++ = static_cast<char>(u);
      ++i;
      continue;
    }
    out = PutUtf8(out, NextCodePoint(unitAt, text.size(), i));
  }
  return out;
}

std::string Utf16BytesToUtf8(const unsigned char* bytes, size_t byteCount, bool bigEndian) {
  size_t units = byteCount / 2;
  if (bigEndian) return ConvertToUtf8(BigEndianUnits{bytes}, units);
  return ConvertToUtf8(LittleEndianUnits{bytes}, units);
}

size_t Utf8LengthOfUtf16Bytes(const unsigned char* bytes, size_t byteCount, bool bigEndian) {
  size_t units = byteCount / 2;
  if (bigEndian) return MeasureUtf8(BigEndianUnits{bytes}, units);
  return MeasureUtf8(LittleEndianUnits{bytes}, units);
}

std::u16string DecimalText(unsigned long long value) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value);
  return digits;
}

std::u16string HexText(unsigned long long value) {
  static const char16_t kDigits[] = u"0123456789abcdef";
  std::u16string digits;
  do {
    digits.insert(digits.begin(), kDigits[value & 15]);
    value >>= 4;
  } while (value);
  return digits;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  // One unit a byte at most: the result is written in place and cut to its length at the end.
  std::u16string out(text.size(), u'\0');
  char16_t* o = out.data();
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    unsigned char c = s[i];
    if (c < 0x80) {
      *o++ = c;
      ++i;
      continue;
    }
    size_t need;
    char32_t cp;
    char32_t min;
    if ((c & 0xE0) == 0xC0) {
      need = 1; cp = c & 0x1F; min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      need = 2; cp = c & 0x0F; min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      need = 3; cp = c & 0x07; min = 0x10000;
    } else {
      *o++ = static_cast<char16_t>(kReplacement);
      ++i;
      continue;
    }
    size_t j = 1;
    for (; j <= need && i + j < n && (s[i + j] & 0xC0) == 0x80; ++j) cp = (cp << 6) | (s[i + j] & 0x3F);
    if (j <= need || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      *o++ = static_cast<char16_t>(kReplacement);
      i += j;  // skip the lead byte and the continuation bytes that were read
      continue;
    }
    i += j;
    if (cp >= 0x10000) {  // four bytes give two units
      cp -= 0x10000;
      *o++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *o++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *o++ = static_cast<char16_t>(cp);
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

void Utf16ChunkDecoder::Feed(const unsigned char* bytes, size_t count, bool last, std::string& out) {
  size_t units = count / 2;  // an odd last byte is dropped
  if (units == 0 && !last) {
    out.clear();  // nothing new: a held high surrogate keeps waiting
    return;
  }
  auto convert = [&](auto reader) {
    char16_t hold = 0;
    if (!last && units > 0) {
      char16_t tail = reader(units - 1);
      if (tail >= 0xD800 && tail <= 0xDBFF) {
        hold = tail;  // its low half may start the next piece
        --units;
      }
    }
    size_t lead = pendingHigh_ ? 1 : 0;
    AfterHeldUnit<decltype(reader)> all{reader, pendingHigh_, lead};
    ConvertInto(all, units + lead, out);
    pendingHigh_ = hold;
  };
  if (bigEndian_) {
    convert(BigEndianUnits{bytes});
  } else {
    convert(LittleEndianUnits{bytes});
  }
}

size_t Utf8PrefixLength(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();
  size_t end = maxBytes;
  // Step back over continuation bytes to the start of the character that the cut would split.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return end;
}
