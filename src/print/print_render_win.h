// What printing and its preview draw alike: the document's lines, the body font, the height a
// line takes when wrapped, and a page's lines and number on a device context.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "common/win.h"
#include "print/print_layout.h"

// The edit control's lines [first, end) as UTF-16, without their CR, LF and NUL characters.
std::vector<std::u16string> GetDocumentLines(size_t first = 0, size_t end = SIZE_MAX);

// The body font of printing at a device's vertical resolution, and the page number's font
// (two pixels taller).
Font MakeBodyFont(const std::u16string& face, int points, int dpiY);
Font MakeFooterFont(const std::u16string& face, int points, int dpiY);

// The height of a line wrapped at word breaks in `width`, measured in a rectangle
// `rectHeight` tall with the selected font; the font's height for an empty line. A line that
// fits on one row needs no word-break measurement.
int WrappedLineHeight(HDC dc, const std::u16string& line, int width, int rectHeight, int fontHeight);

// Draws one page: its lines in black from the top of the text rectangle, wrapped, with 2
// pixels between them, and the number "- n -" centred below in `footerColour` at `footerY`
// (computed from the footer's height by `footerTop`). A line taller than the whole page is
// drawn clipped to the text rectangle, never left out.
struct PageDrawing {
  const PageLayout& layout;
  const std::vector<std::u16string>& lines;
  PageLines range;
  int pageNumber;
  HFONT body, footer;
  COLORREF footerColour;
  int footerBottom;  // the footer is centred between the text's bottom and this
};
void DrawPage(HDC dc, const PageDrawing& page);

// Page `page` (0 is the first) of the preview at the screen's resolution: white, its lines,
// its number.
Bitmap RenderPreviewPage(size_t page, const std::vector<std::u16string>& pageLines, const PageLayout& layout,
                         const std::u16string& face, int points);
