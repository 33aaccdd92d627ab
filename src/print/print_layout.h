// The layout rules that printing and its preview share, without a device: the lines of the
// text, margins in device pixels, the page rectangles, pagination with a measuring seam, and
// the preview window's size and zoom.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The document's lines: breaks at CR, LF and CR LF (one break for the pair); a last line
// without a break is kept only when it is not empty.
std::vector<std::u16string> SplitTextLines(std::u16string_view text);

// A margin in hundredths of a millimetre as twips, truncated.
int MarginTwips(int hundredthsOfMm);

// A page and its text rectangle in pixels of the target device.
struct PageLayout {
  int pageWidth = 0, pageHeight = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
  int TextWidth() const { return right - left; }
  int UsableHeight() const { return bottom - top; }
};

// The preview's A4 page at the screen's resolution with the stored margins (left, top, right,
// bottom in hundredths of a millimetre); the bottom keeps two font sizes for the page number.
PageLayout PreviewPageLayout(int dpiX, int dpiY, const int32_t margins[4], int fontSize);

// A printer's page: its physical size and offsets, the same margins and room for the number.
struct PrinterPage {
  int dpiX, dpiY, width, height, offsetX, offsetY;
};
PageLayout PrinterPageLayout(const PrinterPage& printer, const int32_t margins[4], int fontSize);

// Where each page starts (entry 0 is 0): a line never splits across pages, and a line taller
// than the whole usable height stands alone on its page. `measure` gives line i's height;
// `keepGoing` is asked at every 50th line (false: stop, the result is then incomplete);
// `onPage` hears of each new page with the count so far.
struct PaginationHooks {
  std::function<int(size_t line)> measure;
  std::function<bool()> keepGoing;
  std::function<void(int pages)> onPage;
};
std::vector<int> PaginateLines(size_t lineCount, int usableHeight, const PaginationHooks& hooks);

// The lines of page p: [first, end).
struct PageLines {
  size_t first, end;
};
PageLines LinesOfPage(const std::vector<int>& pageStarts, size_t page, size_t lineCount);

// The preview window's size: the stored one when it fits the screen and is at least 640 x 480,
// otherwise 65 % x 85 % of the screen, at most 900 x 1000.
struct WindowSize {
  int width, height;
};
WindowSize PreviewWindowSize(int storedWidth, int storedHeight, int screenWidth, int screenHeight);

// The page's scale in the preview's client area (below the 44-pixel strip), never above 3.
double PreviewZoom(int clientWidth, int clientHeight, int pageWidth, int pageHeight);
