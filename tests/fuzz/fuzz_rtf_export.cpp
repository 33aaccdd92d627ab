// The RTF builder: any document bytes, style bytes (any number, any value), style tables and a
// font name (from the settings file). The document must be 7-bit, its groups balanced, and the
// text escaped exactly as a plain reference escaper does it.
#include <string>

#include "export/rtf_export.h"
#include "fuzz_input.h"

namespace {
// The escaping rule of rtf_export.h read plainly.
std::string ReferenceEscape(std::string_view run) {
  std::string out;
  auto at = [&](size_t k) { return static_cast<unsigned char>(run[k]); };
  for (size_t i = 0; i < run.size();) {
    const unsigned c = at(i);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c == '\r') {
      ++i;
    } else if (c == '\n') {
      out += "\\par\r\n";
      ++i;
    } else if (c == '\t') {
      out += "\\tab ";
      ++i;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else {
      size_t n = c >= 0xC0 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xF0 && c < 0xF8 ? 4 : 0;
      uint32_t cp = n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
      bool ok = n > 0 && i + n <= run.size();
      for (size_t k = 1; ok && k < n; ++k) {
        ok = (at(i + k) & 0xC0) == 0x80;
        cp = (cp << 6) | (at(i + k) & 0x3F);
      }
      const uint32_t least = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
      if (ok && (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
      if (!ok) {
        out += '?';
        ++i;
      } else {
        if (cp >= 0x10000) {
          out += '?';
        } else {
          out += "\\u" + std::to_string(static_cast<int16_t>(static_cast<uint16_t>(cp))) + "?";
        }
        i += n;
      }
    }
  }
  return out;
}

// Groups balance and never close below the document's own; escaped braces do not count.
bool Balanced(std::string_view rtf) {
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\') {
      ++i;
    } else if (rtf[i] == '{') {
      ++depth;
    } else if (rtf[i] == '}') {
      if (--depth < 0) return false;
      if (depth == 0 && i + 3 != rtf.size()) return false;  // only the last brace closes the document
    }
  }
  return depth == 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  RtfStyleTables tables;
  const uint8_t how = in.Byte();
  for (int s = 0; s < 128; s += 5) {
    tables.fore[s] = in.U32() & 0xFFFFFF;
    tables.bold[s] = in.Bool();
    tables.italic[s] = in.Bool();
  }
  const std::string font(in.Piece());
  const int points = static_cast<int8_t>(in.Byte());
  const std::string_view rest = in.Rest();
  const std::string_view text = rest.substr(0, rest.size() / 2);
  const std::string_view styles = rest.substr(rest.size() / 2, (how & 2) ? rest.size() : rest.size() / 3);

  const std::string rtf = BuildRtf(text, styles, tables, how & 1, font, points);
  FUZZ_CHECK(rtf.rfind("{\\rtf1", 0) == 0);
  for (unsigned char c : rtf) FUZZ_CHECK(c < 0x80);
  FUZZ_CHECK(Balanced(rtf));

  std::string escaped;
  AppendRtfEscaped(escaped, text);
  FUZZ_CHECK(escaped == ReferenceEscape(text));

  const uint32_t dark = DarkenForPaper(tables.fore[0]);
  FUZZ_CHECK((dark & 0xFF) <= (tables.fore[0] & 0xFF));
  return 0;
}
