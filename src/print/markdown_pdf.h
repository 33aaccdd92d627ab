// A Markdown document typeset for PDF pages: its blocks and inline runs, and the layout of its
// lines, measured, wrapped and indented in the device units of the page they are drawn on.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

enum MdBlockKind : int {
  kMdHeading1 = 0,
  kMdHeading2 = 1,
  kMdHeading3 = 2,
  kMdBullet = 3,
  kMdNumbered = 4,
  kMdQuote = 5,
  kMdRule = 6,
  kMdEmpty = 7,
  kMdParagraph = 8,
};

struct MdRun {
  std::u16string text;
  std::u16string face;
  int size = 10;  // points
  bool bold = false, italic = false, code = false;
  bool SameLook(const MdRun& o) const {
    return face == o.face && size == o.size && bold == o.bold && italic == o.italic && code == o.code;
  }
};

struct MdBlock {
  MdBlockKind kind = kMdParagraph;
  int number = 0;
  std::vector<MdRun> runs;
};

struct MdLayoutLine {
  std::vector<MdRun> runs;
  MdBlockKind kind = kMdParagraph;
  bool isRule = false;
  int number = 0;
  int spaceBefore = 0;  // device units
  int indent = 0;       // device units
};

// Inline runs: "**" toggles bold (starting from `bold`), a lone "*" or "_" toggles italic, a
// backquote toggles code, and all of them work inside code too. Code runs are "Courier New" at
// max(size - 1, 8) points.
std::vector<MdRun> ParseMarkdownRuns(std::u16string_view text, const std::u16string& face, int size, bool bold);

// One line's block, with its runs in the body face and size (headings larger and bold).
MdBlock ParseMarkdownBlock(std::u16string_view line, const std::u16string& face, int size);

// How the layout measures: a run's look with a token, in device units; and the body line height.
using MeasureMdRun = std::function<int(const MdRun& look, std::u16string_view token)>;

// The lines of the document at `width` device units. `dpi` scales the layout's fixed distances
// (list and quote indents, the right reserve, the narrowest width), which are given for a 96-dpi
// screen; `baseHeight` is the body font's line height. A wrapped heading's space comes above
// its first line.
std::vector<MdLayoutLine> BuildMarkdownLayout(std::u16string_view text, const std::u16string& face, int size,
                                              int width, int dpi, int baseHeight, const MeasureMdRun& measure);
