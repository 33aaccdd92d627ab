// Reading a TrueType font (a .ttf, or one face of a .ttc collection) far enough to place text
// with it in a PDF: metrics, the character-to-glyph map, advance widths, and a subset that
// holds only the glyphs used (with the parts of composite glyphs).
#pragma once
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct FontMetrics {
  int unitsPerEm = 1000;
  int ascent = 0, descent = 0, capHeight = 0;  // font units; descent is negative
  int winAscent = 0, winDescent = 0;           // the cell above and below the baseline, as GDI measures it
  int xMin = 0, yMin = 0, xMax = 0, yMax = 0;  // the font's bounding box
  double italicAngle = 0;
  bool fixedPitch = false;
  std::string postScriptName;  // from the 'name' table; may be empty
};

class TrueTypeFont {
 public:
  // Reads the font; for a collection ("ttcf"), face `faceIndex`. Nothing when the data is not a
  // usable TrueType font (outlines in 'glyf'): every offset is checked against the data.
  static std::optional<TrueTypeFont> Parse(std::string data, unsigned faceIndex = 0);

  const FontMetrics& Metrics() const { return metrics_; }
  unsigned GlyphCount() const { return glyphCount_; }
  // The glyph of a character (a code point); 0, the missing-glyph box, when the font lacks it.
  uint16_t GlyphOf(char32_t codePoint) const;
  // The advance width of a glyph in font units.
  int AdvanceOf(uint16_t glyph) const;
  // The glyphs a glyph is made of (itself, and for a composite glyph its parts, recursively).
  void CollectGlyph(uint16_t glyph, std::set<uint16_t>& into, int depth = 0) const;
  // A standalone font with the same glyph numbers in which only `used` glyphs (plus glyph 0 and
  // the parts of composites) keep their outlines; tables a PDF reader does not need are left out.
  std::string Subset(const std::set<uint16_t>& used) const;

 private:
  struct Table {
    uint32_t offset = 0, length = 0;
  };
  bool Load(unsigned faceIndex);
  std::optional<Table> Find(std::string_view tag) const;
  std::string_view Bytes(const Table& t) const { return std::string_view(data_).substr(t.offset, t.length); }
  bool ReadCmap(const Table& cmap);
  std::string_view GlyphData(uint16_t glyph) const;

  std::string data_;
  uint32_t directory_ = 0;  // where the face's table directory starts
  uint32_t cmapOffset_ = 0;
  FontMetrics metrics_;
  unsigned glyphCount_ = 0;
  unsigned horizontalMetrics_ = 0;
  bool longLoca_ = false;
  Table loca_, glyf_, hmtx_;
  // Character ranges to glyphs: [first, last] → glyph = start + (c - first), or through deltas.
  struct Segment {
    char32_t first, last;
    uint32_t start;      // format 12: the first glyph; format 4: the delta
    uint32_t rangeAt;    // format 4: where idRangeOffset points (0: none)
    bool format12;
  };
  std::vector<Segment> segments_;
};

// The six capital letters that prefix a subset font's name, from the font's name and the glyphs
// it holds.
std::string SubsetTag(const std::set<uint16_t>& glyphs, std::string_view name = {});
