// The PDF writer's text encoding: any UTF-16 text through a real font (DejaVu Sans, installed by
// scripts/setup; without it only the font-free parts run). The glyph codes are one pair of bytes
// a character in a balanced literal, the ToUnicode map gives back each glyph's character, the
// ActualText string holds the text's units, and the literal and number writers stay well-formed.
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "fuzz_input.h"
#include "print/pdf_font.h"
#include "print/pdf_writer.h"
#include "print/truetype.h"

namespace {
std::unique_ptr<TrueTypeFont> LoadFont() {
  for (const char* path : {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                           "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"}) {
    std::ifstream in(path, std::ios::binary);
    if (!in) continue;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (auto font = TrueTypeFont::Parse(std::move(bytes))) return std::make_unique<TrueTypeFont>(std::move(*font));
  }
  return nullptr;
}

// Reads a PDF literal string back: the bytes between the outer parentheses, escapes undone.
bool ReadLiteral(std::string_view literal, std::string& out) {
  if (literal.size() < 2 || literal.front() != '(' || literal.back() != ')') return false;
  int depth = 0;
  for (size_t i = 1; i + 1 < literal.size(); ++i) {
    char c = literal[i];
    if (c == '\\') {
      if (++i + 1 >= literal.size()) return false;
      c = literal[i];
      if (c == 'n') c = '\n';
      else if (c == 'r') c = '\r';
      else if (c == 't') c = '\t';
      else if (c == 'b') c = '\b';
      else if (c == 'f') c = '\f';
      else if (c >= '0' && c <= '7') {
        int v = 0, n = 0;
        while (n < 3 && i + 1 < literal.size() && literal[i] >= '0' && literal[i] <= '7') v = v * 8 + (literal[i++] - '0'), ++n;
        --i;
        c = static_cast<char>(v);
      }
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth < 0) return false;
    }
    out.push_back(c);
  }
  return depth == 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::unique_ptr<TrueTypeFont> font = LoadFont();
  FuzzInput in(data, size);
  const uint8_t how = in.Byte();
  const std::u16string text = (how & 1) ? UnitsOf(in.Rest()) : TextOf(in.Rest());
  const std::u32string points = CodePoints(text);
  for (char32_t c : points) FUZZ_CHECK(c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF));

  const std::string actual = ActualTextHex(text);
  FUZZ_CHECK(actual.size() == 6 + 4 * text.size() && actual.rfind("<FEFF", 0) == 0 && actual.back() == '>');

  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string back;
  FUZZ_CHECK(ReadLiteral(PdfLiteral(bytes), back) && back == bytes);
  const double value = static_cast<int32_t>((how << 24) | size) / 7.0;
  const std::string number = PdfNumber(value);
  FUZZ_CHECK(number.find_first_of("eE") == std::string::npos && !number.empty());

  if (!font) return 0;
  PdfFontUse use(*font);
  const std::string literal = use.Encode(text);
  std::string codes;
  FUZZ_CHECK(ReadLiteral(literal, codes));
  FUZZ_CHECK(codes.size() == 2 * points.size());
  std::map<uint16_t, std::u32string> glyphText;
  for (size_t i = 0; i < points.size(); ++i) {
    const uint16_t glyph = static_cast<uint16_t>(static_cast<unsigned char>(codes[2 * i]) << 8 |
                                                 static_cast<unsigned char>(codes[2 * i + 1]));
    FUZZ_CHECK(glyph == font->GlyphOf(points[i]));
    if (glyph) glyphText.try_emplace(glyph, std::u32string(1, points[i]));
  }
  const std::string cmap = ToUnicodeCMap(glyphText);
  FUZZ_CHECK(cmap.find("endcmap") != std::string::npos);
  FUZZ_CHECK(use.Width(text, 10.0) >= 0);
  std::string pdf;
  PdfWriter writer([&](std::string_view piece) {
    pdf += piece;
    return true;
  });
  FUZZ_CHECK(use.Write(writer, writer.Reserve()));
  return 0;
}
