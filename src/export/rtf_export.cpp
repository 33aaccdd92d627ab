#include "export/rtf_export.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace {

// Bytes that cannot be copied into the RTF body as they are.
struct RtfSpecialTable {
  bool special[256] = {};
  constexpr RtfSpecialTable() {
    special[static_cast<unsigned char>('\\')] = true;
    special[static_cast<unsigned char>('{')] = true;
    special[static_cast<unsigned char>('}')] = true;
    special['\r'] = true;
    special['\n'] = true;
    special['\t'] = true;
    for (int c = 0x80; c < 0x100; ++c) special[c] = true;
  }
};
constexpr RtfSpecialTable kRtfSpecial;

void AppendDecimal(std::string& out, long long value) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes the UTF-8 sequence led by p[0] (a byte of 128 or more) within [p, end).
// Returns the number of bytes taken, 0 when the lead cannot start a well-formed sequence
// whose continuation bytes all lie before `end`.
size_t DecodeUtf8(const unsigned char* p, const unsigned char* end, uint32_t& codePoint) {
  unsigned char lead = p[0];
  size_t length;
  uint32_t value;
  uint32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;  // a continuation byte without a lead, or 0xF8..0xFF
  }
  if (static_cast<size_t>(end - p) < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    if (!IsContinuation(p[k])) return 0;
    value = (value << 6) | (p[k] & 0x3F);
  }
  // Overlong forms, UTF-16 surrogates and values past U+10FFFF are not characters either.
  if (value < minimum || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return 0;
  codePoint = value;
  return length;
}

}  // namespace

uint32_t DarkenForPaper(uint32_t colorref) {
  uint32_t r = colorref & 0xFF, g = (colorref >> 8) & 0xFF, b = (colorref >> 16) & 0xFF;
  int luminance = static_cast<int>(0.299 * r + 0.587 * g + 0.114 * b);
  if (luminance <= 180) return colorref;
  r = r * 35 / 100;
  g = g * 35 / 100;
  b = b * 35 / 100;
  return r | (g << 8) | (b << 16);
}

void AppendRtfFontName(std::string& out, std::string_view nameUtf8) {
  // The name ends at its semicolon; control characters have no place in it.
  std::string name;
  for (char c : nameUtf8)
    if (static_cast<unsigned char>(c) >= 0x20 && c != ';' && c != 0x7F) name.push_back(c);
  AppendRtfEscaped(out, name);
}

void AppendRtfEscaped(std::string& out, std::string_view run) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(run.data());
  const unsigned char* end = p + run.size();
  const unsigned char* spanStart = p;
  while (p != end) {
    unsigned char c = *p;
    if (!kRtfSpecial.special[c]) {
      ++p;
      continue;
    }
    out.append(reinterpret_cast<const char*>(spanStart), reinterpret_cast<const char*>(p));
    size_t taken = 1;
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '{':
        out += "\\{";
        break;
      case '}':
        out += "\\}";
        break;
      case '\r':
        break;
      case '\n':
        out += "\\par\r\n";
        break;
      case '\t':
        out += "\\tab ";
        break;
      default: {
        uint32_t codePoint = 0;
        size_t length = DecodeUtf8(p, end, codePoint);
        if (length == 0) {
          out += '?';
        } else {
          taken = length;
          if (codePoint >= 0x10000) {
            out += '?';
          } else {
            out += "\\u";
            AppendDecimal(out, static_cast<int16_t>(static_cast<uint16_t>(codePoint)));
            out += '?';
          }
        }
        break;
      }
    }
    p += taken;
    spanStart = p;
  }
  out.append(reinterpret_cast<const char*>(spanStart), reinterpret_cast<const char*>(end));
}

std::string BuildRtf(std::string_view text, std::string_view styles, const RtfStyleTables& tables, bool darkTheme,
                     std::string_view fontNameUtf8, int fontSizePoints) {
  // Colours as they go on paper, and the table of their first appearances.
  uint32_t fore[128];
  for (int s = 0; s < 128; ++s) fore[s] = darkTheme ? DarkenForPaper(tables.fore[s]) : tables.fore[s];
  uint32_t colours[128];
  int colourCount = 0;
  int colourIndex[128];
  for (int s = 0; s < 128; ++s) {
    int found = 0;
    while (found < colourCount && colours[found] != fore[s]) ++found;
    if (found == colourCount) colours[colourCount++] = fore[s];
    colourIndex[s] = found + 1;  // entry 0 is the automatic colour
  }

  // What goes before and after each style's run, made once.
  std::array<std::string, 128> runOpen, runClose;
  for (int s = 0; s < 128; ++s) {
    runOpen[s] = "{\\cf";
    AppendDecimal(runOpen[s], colourIndex[s]);
    runOpen[s] += ' ';
    if (tables.bold[s]) runOpen[s] += "\\b ";
    if (tables.italic[s]) runOpen[s] += "\\i ";
    if (tables.bold[s]) runClose[s] += "\\b0 ";
    if (tables.italic[s]) runClose[s] += "\\i0 ";
    runClose[s] += '}';
  }

  std::string out;
  out.reserve(4 * text.size() + 4096);
  out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\r\n";
  out += "{\\fonttbl{\\f0\\fmodern\\fcharset0 ";
  AppendRtfFontName(out, fontNameUtf8);
  out += ";}}\r\n";
  out += "{\\colortbl ;";
  for (int k = 0; k < colourCount; ++k) {
    out += "\\red";
    AppendDecimal(out, colours[k] & 0xFF);
    out += "\\green";
    AppendDecimal(out, (colours[k] >> 8) & 0xFF);
    out += "\\blue";
    AppendDecimal(out, (colours[k] >> 16) & 0xFF);
    out += ';';
  }
  out += "}\r\n\\viewkind4\\uc1\\pard\\sl0\\slmult0";
  out += "\\f0\\fs";
  AppendDecimal(out, 2LL * fontSizePoints);
  out += ' ';

  // Runs of bytes with one style; a style byte of 128 or more is style 0, a missing one too.
  const unsigned char* styleBytes = reinterpret_cast<const unsigned char*>(styles.data());
  const size_t styled = styles.size() < text.size() ? styles.size() : text.size();
  auto styleAt = [&](size_t i) -> unsigned char {
    if (i >= styled) return 0;
    unsigned char s = styleBytes[i];
    return s >= 128 ? 0 : s;
  };
  for (size_t run = 0; run < text.size();) {
    unsigned char style = styleAt(run);
    size_t next = run + 1;
    while (next < text.size() && styleAt(next) == style) ++next;
    out += runOpen[style];
    AppendRtfEscaped(out, text.substr(run, next - run));
    out += runClose[style];
    run = next;
  }

  out += "\r\n}\r\n";
  return out;
}
