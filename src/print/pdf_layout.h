// The page layout rules of the PDF export of source text that need no device: the print
// colour of a style, the page estimate behind the size questions, and wrapping a line of
// styled runs at spaces.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "print/page_surface.h"

// A piece of one source line in one look.
struct StyledRun {
  std::u16string text;
  uint32_t colour = 0;  // COLORREF
  bool bold = false, italic = false;
  bool SameLook(const StyledRun& other) const {
    return colour == other.colour && bold == other.bold && italic == other.italic;
  }
};
using StyledLine = std::vector<StyledRun>;

// A screen colour made fit for white paper: light colours darkened to 45 %, near-black black.
uint32_t PrintColor(uint32_t colorref);

// Pages at 55 lines a page; only the size questions use it.
int EstimatePdfPages(long long lines);

// Splits a source line into visual lines no wider than `width` where it can: pieces end just
// after each space, a piece that does not fit starts a new visual line (a piece wider than the
// whole width is never split), and neighbouring pieces of one look join one segment. A line
// without runs gives one empty visual line. `measure` gives a piece's width in its look.
using MeasureRun = std::function<int(const StyledRun& look, std::u16string_view piece)>;
std::vector<StyledLine> WrapStyledLine(const StyledLine& line, int width, const MeasureRun& measure);

// The print look of the edit control's styles 0..127.
struct PdfStyleTable {
  uint32_t colour[128] = {};
  bool bold[128] = {}, italic[128] = {};
};

// One source line from the edit control's styled bytes (pairs of text byte and style byte):
// CR and LF are left out, a character takes the look of its first byte's style (masked to
// 0..127), a UTF-8 sequence that does not decode reads "?", and runs change with the look.
StyledLine RunsFromStyledBytes(const char* pairs, size_t textBytes, const PdfStyleTable& styles);

// Where the source pages put their text, in device units.
struct SourcePageLayout {
  int left, top, footerY, textBottom, textWidth;
};
SourcePageLayout SourceLayoutFor(const PageGeometry& page);

// The footer of page n: "- n -".
std::u16string PageFooter(int page);
