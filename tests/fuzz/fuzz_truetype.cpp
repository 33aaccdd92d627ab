// The TrueType reader and subsetter, fed with mutated font files (seeds are made from the
// installed fonts at fuzz time by make_font_seeds.py; no font file is committed). A font that
// parses must answer every question within its own data, and its subset must parse again with
// the same glyph count, the same advances and the same composite parts; the PDF objects that
// embed it must keep the font's name a single PDF name.
#include <set>
#include <string>

#include "fuzz_input.h"
#include "print/pdf_font.h"
#include "print/pdf_writer.h"
#include "print/truetype.h"

namespace {
// A PDF name's characters after the slash: no white space, no delimiter, no '#' escape.
bool PdfNameClean(std::string_view name) {
  for (unsigned char c : name)
    if (c <= 32 || c >= 127 || std::string_view("()<>[]{}/%#").find(static_cast<char>(c)) != std::string_view::npos)
      return false;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The input is the font file itself; of a collection, the face its size picks (0 or 1).
  std::string bytes(reinterpret_cast<const char*>(data), size);
  const unsigned face = bytes.rfind("ttcf", 0) == 0 ? size % 2 : 0;
  const std::optional<TrueTypeFont> font = TrueTypeFont::Parse(bytes, face);
  if (!font) return 0;
  const FontMetrics& metrics = font->Metrics();
  FUZZ_CHECK(metrics.unitsPerEm >= 16);
  FUZZ_CHECK(font->GlyphCount() > 0 && font->GlyphCount() <= 0xFFFF);
  FUZZ_CHECK(PdfNameClean(metrics.postScriptName));

  // Characters to glyphs: within the font.
  std::set<uint16_t> used;
  for (char32_t c : {U'A', U'a', U'0', U' ', U'\u00E9', U'\u4E2D', U'\U0001F600', U'\uFFFD', U'\0', U'\U0010FFFF'}) {
    const uint16_t g = font->GlyphOf(c);
    FUZZ_CHECK(g < font->GlyphCount());
    used.insert(g);
  }
  // A few glyphs by number too, and all their parts.
  used.insert(static_cast<uint16_t>(font->GlyphCount() - 1));
  used.insert(static_cast<uint16_t>(bytes.size() % font->GlyphCount()));
  std::set<uint16_t> parts;
  for (uint16_t g : used) font->CollectGlyph(g, parts);
  for (uint16_t g : parts) FUZZ_CHECK(g < font->GlyphCount());

  const std::string subset = font->Subset(used);
  const std::optional<TrueTypeFont> again = TrueTypeFont::Parse(subset);
  FUZZ_CHECK(again.has_value());
  std::set<uint16_t> kept;
  font->CollectGlyph(0, kept);
  for (uint16_t g : used) font->CollectGlyph(g, kept);
  FUZZ_CHECK(again->GlyphCount() == *kept.rbegin() + 1u);
  for (uint16_t g : kept) {
    FUZZ_CHECK(again->AdvanceOf(g) == font->AdvanceOf(g));
    std::set<uint16_t> a, b;
    font->CollectGlyph(g, a);
    again->CollectGlyph(g, b);
    FUZZ_CHECK(a == b);
  }
  FUZZ_CHECK(again->Subset(used) == again->Subset(used));

  // The text encoding and the PDF objects of the font.
  PdfFontUse use(*font);
  const std::string codes = use.Encode(u"Ab\u00E9 \u4E2D\U0001F600\xD800!");
  FUZZ_CHECK(codes.size() >= 2 && codes.front() == '(' && codes.back() == ')');
  (void)use.Width(u"Ab\u00E9", 12.0);
  std::string pdf;
  PdfWriter writer([&](std::string_view piece) {
    pdf += piece;
    return true;
  });
  const int object = writer.Reserve();
  FUZZ_CHECK(use.Write(writer, object));
  const std::string tag = "/BaseFont /";
  for (size_t at = pdf.find(tag); at != std::string::npos; at = pdf.find(tag, at + 1)) {
    const size_t from = at + tag.size(), to = pdf.find(' ', from);
    FUZZ_CHECK(to != std::string::npos && PdfNameClean(std::string_view(pdf).substr(from, to - from)));
  }
  return 0;
}
