// Plain reference conversions between UTF-16 and UTF-8, written for the fuzz targets to be
// compared with the program's converters: one code point at a time, no fast paths, no tables.
// Their rules are those common/utf.h states: a lone surrogate becomes U+FFFD; a malformed UTF-8
// sequence (a stray continuation byte, a lead byte not followed by enough continuation bytes,
// an overlong form, a surrogate, a value above U+10FFFF) becomes one U+FFFD for its lead byte
// and the continuation bytes read after it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

inline void ReferencePutUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

inline std::string ReferenceUtf16ToUtf8(std::u16string_view units) {
  std::string out;
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      ReferencePutUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      ReferencePutUtf8(out, 0xFFFD);
    } else {
      ReferencePutUtf8(out, u);
    }
  }
  return out;
}

inline std::u16string ReferenceUnits(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
  }
  return units;
}

inline std::string ReferenceUtf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
  return ReferenceUtf16ToUtf8(ReferenceUnits(bytes, bigEndian));
}

inline std::u16string ReferenceUtf8ToUtf16(std::string_view text) {
  std::u16string out;
  size_t i = 0;
  auto byteAt = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  while (i < text.size()) {
    const unsigned c = byteAt(i);
    size_t need;
    char32_t cp, least;
    if (c < 0x80) {
      out.push_back(static_cast<char16_t>(c));
      ++i;
      continue;
    } else if (c >= 0xC0 && c < 0xE0) {
      need = 1, cp = c & 0x1F, least = 0x80;
    } else if (c >= 0xE0 && c < 0xF0) {
      need = 2, cp = c & 0x0F, least = 0x800;
    } else if (c >= 0xF0 && c < 0xF8) {
      need = 3, cp = c & 0x07, least = 0x10000;
    } else {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    size_t read = 0;
    while (read < need && i + 1 + read < text.size() && (byteAt(i + 1 + read) & 0xC0) == 0x80) {
      cp = (cp << 6) | (byteAt(i + 1 + read) & 0x3F);
      ++read;
    }
    i += 1 + read;
    if (read < need || cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(0xFFFD);
    } else if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}
