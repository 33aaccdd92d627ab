#include "print/pdf_font.h"

#include <cstdio>

namespace {
void Hex4(std::string& out, unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
  out += text;
}

std::string Utf16Hex(const std::u32string& text) {
  std::string out;
  for (char32_t c : text) {
    if (c >= 0x10000) {
      Hex4(out, 0xD800 + ((c - 0x10000) >> 10));
      Hex4(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      Hex4(out, c);
    }
  }
  return out;
}

int Thousandths(int units, int unitsPerEm) {
  return static_cast<int>((static_cast<long long>(units) * 1000 + unitsPerEm / 2) / unitsPerEm);
}
}  // namespace

std::u32string CodePoints(std::u16string_view text) {
  std::u32string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    out.push_back(c);
  }
  return out;
}

std::string PdfFontUse::Encode(std::u16string_view text) {
  std::string codes;  // two bytes a glyph, high byte first, as Identity-H reads them
  for (char32_t c : CodePoints(text)) {
    const uint16_t glyph = font_.GlyphOf(c);
    // Glyph 0, the missing-glyph box, stands for no one character: its text is carried by the
    // page (ActualText) instead of this map.
    if (glyph) glyphText_.try_emplace(glyph, std::u32string(1, c));
    codes.push_back(static_cast<char>(glyph >> 8));
    codes.push_back(static_cast<char>(glyph & 0xFF));
  }
  return PdfLiteral(codes);
}

double PdfFontUse::Width(std::u16string_view text, double size) const {
  long long units = 0;
  for (char32_t c : CodePoints(text)) units += font_.AdvanceOf(font_.GlyphOf(c));
  return static_cast<double>(units) * size / font_.Metrics().unitsPerEm;
}

std::string ActualTextHex(std::u16string_view text) {
  std::string hex = "<FEFF";
  for (char16_t c : text) Hex4(hex, c);
  return hex + ">";
}

std::string ToUnicodeCMap(const std::map<uint16_t, std::u32string>& glyphText) {
  std::string cmap =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  auto it = glyphText.begin();
  while (it != glyphText.end()) {
    std::string block;
    int count = 0;
    for (; it != glyphText.end() && count < 100; ++it, ++count) {
      block += "<";
      Hex4(block, it->first);
      block += "> <" + Utf16Hex(it->second) + ">\n";
    }
    cmap += std::to_string(count) + " beginbfchar\n" + block + "endbfchar\n";
  }
  cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
  return cmap;
}

std::string WidthArray(const TrueTypeFont& font, const std::set<uint16_t>& glyphs) {
  std::string w = "[";
  const int em = font.Metrics().unitsPerEm;
  for (uint16_t g : glyphs) w += " " + std::to_string(g) + " [" + std::to_string(Thousandths(font.AdvanceOf(g), em)) + "]";
  return w + " ]";
}

bool PdfFontUse::Write(PdfWriter& pdf, int fontObject) const {
  std::set<uint16_t> glyphs;
  for (const auto& entry : glyphText_) glyphs.insert(entry.first);
  const FontMetrics& m = font_.Metrics();
  const int em = m.unitsPerEm;
  const std::string name = "/" + SubsetTag(glyphs, m.postScriptName) + "+" + (m.postScriptName.empty() ? "Font" : m.postScriptName);
  const int file = pdf.Reserve(), descriptor = pdf.Reserve(), cid = pdf.Reserve(), toUnicode = pdf.Reserve();
  const std::string subset = font_.Subset(glyphs);
  const int flags = 4 | (m.fixedPitch ? 1 : 0) | (m.italicAngle != 0 ? 64 : 0);  // symbolic, fixed, italic
  const std::string box = "[" + std::to_string(Thousandths(m.xMin, em)) + " " + std::to_string(Thousandths(m.yMin, em)) +
                          " " + std::to_string(Thousandths(m.xMax, em)) + " " + std::to_string(Thousandths(m.yMax, em)) + "]";
  return pdf.Stream(file, "/Length1 " + std::to_string(subset.size()), subset) &&
         pdf.Object(descriptor, "<< /Type /FontDescriptor /FontName " + name + " /Flags " + std::to_string(flags) +
                                    " /FontBBox " + box + " /ItalicAngle " + PdfNumber(m.italicAngle) +
                                    " /Ascent " + std::to_string(Thousandths(m.ascent, em)) + " /Descent " +
                                    std::to_string(Thousandths(m.descent, em)) + " /CapHeight " +
                                    std::to_string(Thousandths(m.capHeight, em)) + " /StemV 80 /FontFile2 " +
                                    std::to_string(file) + " 0 R >>") &&
         pdf.Object(cid, "<< /Type /Font /Subtype /CIDFontType2 /BaseFont " + name +
                             " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
                             " /FontDescriptor " + std::to_string(descriptor) + " 0 R /CIDToGIDMap /Identity /W " +
                             WidthArray(font_, glyphs) + " >>") &&
         pdf.Stream(toUnicode, "", ToUnicodeCMap(glyphText_)) &&
         pdf.Object(fontObject, "<< /Type /Font /Subtype /Type0 /BaseFont " + name +
                                    " /Encoding /Identity-H /DescendantFonts [" + std::to_string(cid) +
                                    " 0 R] /ToUnicode " + std::to_string(toUnicode) + " 0 R >>");
}
