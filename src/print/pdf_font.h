// A TrueType face in a PDF: the glyphs a document's text uses, and the objects that embed them
// as a subset (CIDFontType2, Identity-H) with the font's own widths and a ToUnicode map, so the
// text can be selected, searched and extracted.
#pragma once
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "print/pdf_writer.h"
#include "print/truetype.h"

class PdfFontUse {
 public:
  explicit PdfFontUse(const TrueTypeFont& font) : font_(font) {}
  // The text's glyphs as a string operand for Tj (two bytes a glyph); notes what each glyph reads.
  std::string Encode(std::u16string_view text);
  // The advance of the text at `size` (the same unit as the size).
  double Width(std::u16string_view text, double size) const;
  bool Empty() const { return glyphText_.empty(); }
  // The font as object `fontObject` (a Type0 font) and the objects it refers to.
  bool Write(PdfWriter& pdf, int fontObject) const;

 private:
  const TrueTypeFont& font_;
  std::map<uint16_t, std::u32string> glyphText_;  // glyph → the characters it stands for
};

// The ToUnicode CMap for glyphs and the characters they read (UTF-16BE, pairs for astral ones).
std::string ToUnicodeCMap(const std::map<uint16_t, std::u32string>& glyphText);
// A PDF text string of UTF-16 text, as /ActualText takes it: <FEFF...>.
std::string ActualTextHex(std::u16string_view text);
// The W array of the CIDFont: each used glyph's advance in thousandths of the em.
std::string WidthArray(const TrueTypeFont& font, const std::set<uint16_t>& glyphs);
// The code points of UTF-16 text; an unpaired surrogate reads as U+FFFD.
std::u32string CodePoints(std::u16string_view text);
