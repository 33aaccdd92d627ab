// The pagination of printing and its preview: any line heights and page height, checked against
// a naive page fill; any text split into lines against a naive split; any margins and
// resolutions give a text rectangle inside the page when the margins leave room.
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "print/print_layout.h"

namespace {

void CheckPages(const std::vector<int>& heights, int usable) {
  PaginationHooks hooks;
  hooks.measure = [&](size_t i) { return heights[i]; };
  const std::vector<int> starts = PaginateLines(heights.size(), usable, hooks);
  // The naive fill: a line goes on the page when it fits, or when the page has no line yet.
  std::vector<int> naive{0};
  long long y = 0;
  for (size_t i = 0; i < heights.size(); ++i) {
    if (static_cast<int>(i) != naive.back() && y + heights[i] > usable) {
      naive.push_back(static_cast<int>(i));
      y = 0;
    }
    y += heights[i] + 2;
  }
  FUZZ_CHECK(starts == naive);
  size_t covered = 0;
  for (size_t p = 0; p < starts.size(); ++p) {
    const PageLines lines = LinesOfPage(starts, p, heights.size());
    FUZZ_CHECK(lines.first == covered);
    FUZZ_CHECK(heights.empty() || lines.end > lines.first);
    covered = lines.end;
  }
  FUZZ_CHECK(covered == heights.size());
}

void CheckSplit(const std::u16string& text) {
  std::vector<std::u16string> naive;
  std::u16string line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      naive.push_back(line);
      line.clear();
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      line += text[i];
    }
  }
  if (!line.empty()) naive.push_back(line);
  FUZZ_CHECK(SplitTextLines(text) == naive);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  FuzzInput in(data, size);
  const int usable = static_cast<int>(in.Below(5000));
  std::vector<int> heights;
  for (size_t n = in.Below(400); n > 0 && !in.Empty(); --n) heights.push_back(static_cast<int>(in.Below(3000)));
  CheckPages(heights, usable);

  int32_t margins[4];
  for (int32_t& m : margins) m = static_cast<int32_t>(in.Below(20000));
  const int dpi = 72 + static_cast<int>(in.Below(1200));
  const int points = 1 + static_cast<int>(in.Below(72));
  const PageLayout page = PreviewPageLayout(dpi, dpi, margins, points);
  FUZZ_CHECK(page.left >= 0 && page.top >= 0 && page.right <= page.pageWidth && page.bottom <= page.pageHeight);
  const PrinterPage printer{dpi, dpi, static_cast<int>(in.Below(20000)), static_cast<int>(in.Below(30000)),
                            static_cast<int>(in.Below(300)), static_cast<int>(in.Below(300))};
  const PageLayout printed = PrinterPageLayout(printer, margins, points);
  FUZZ_CHECK(printed.left >= printer.offsetX && printed.top >= printer.offsetY);
  const WindowSize window = PreviewWindowSize(static_cast<int>(in.U32()), static_cast<int>(in.U32()), 640 + dpi, 480 + dpi);
  FUZZ_CHECK(window.width > 0 && window.height > 0);
  const double zoom = PreviewZoom(static_cast<int>(in.Below(10000)), static_cast<int>(in.Below(10000)), page.pageWidth,
                                  page.pageHeight);
  FUZZ_CHECK(zoom >= 0 && zoom <= 3.0);

  CheckSplit(UnitsOf(in.Rest()));
  return 0;
}
