#include "print/print_layout.h"

#include <algorithm>

std::vector<std::u16string> SplitTextLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

int MarginTwips(int hundredthsOfMm) { return static_cast<int>(hundredthsOfMm * 1440.0 / 2540.0); }

namespace {
int Scale(int value, int numerator, int denominator) {
  return static_cast<int>((static_cast<int64_t>(value) * numerator + (value < 0 ? -denominator : denominator) / 2) / denominator);
}
}  // namespace

PageLayout PreviewPageLayout(int dpiX, int dpiY, const int32_t margins[4], int fontSize) {
  PageLayout page;
  page.pageWidth = static_cast<int>(dpiX * 8.268055555555556);
  page.pageHeight = static_cast<int>(dpiY * 11.693055555555556);
  page.left = Scale(MarginTwips(margins[0]), dpiX, 1440);
  page.top = Scale(MarginTwips(margins[1]), dpiY, 1440);
  page.right = page.pageWidth - Scale(MarginTwips(margins[2]), dpiX, 1440);
  page.bottom = page.pageHeight - Scale(2 * fontSize, dpiY, 72) - Scale(MarginTwips(margins[3]), dpiY, 1440);
  return page;
}

PageLayout PrinterPageLayout(const PrinterPage& printer, const int32_t margins[4], int fontSize) {
  PageLayout page;
  page.pageWidth = printer.width;
  page.pageHeight = printer.height;
  page.left = printer.offsetX + Scale(MarginTwips(margins[0]), printer.dpiX, 1440);
  page.top = Scale(MarginTwips(margins[1]), printer.dpiY, 1440) + printer.offsetY;
  page.right = printer.width - printer.offsetX - Scale(MarginTwips(margins[2]), printer.dpiX, 1440);
  page.bottom = printer.height - Scale(2 * fontSize, printer.dpiY, 72) - printer.offsetY -
                Scale(MarginTwips(margins[3]), printer.dpiY, 1440);
  return page;
}

std::vector<int> PaginateLines(size_t lineCount, int usableHeight, const PaginationHooks& hooks) {
  std::vector<int> starts{0};
  int y = 0;
  for (size_t i = 0; i < lineCount; ++i) {
    if (i % 50 == 0 && hooks.keepGoing && !hooks.keepGoing()) break;
    const int h = hooks.measure(i);
    if (static_cast<int>(i) != starts.back() && y + h > usableHeight) {
      starts.push_back(static_cast<int>(i));
      y = 0;
      if (hooks.onPage) hooks.onPage(static_cast<int>(starts.size()));
    }
    y += h + 2;
  }
  return starts;
}

PageLines LinesOfPage(const std::vector<int>& pageStarts, size_t page, size_t lineCount) {
  if (page >= pageStarts.size()) return {lineCount, lineCount};
  const size_t first = std::min(static_cast<size_t>(pageStarts[page]), lineCount);
  const size_t end = page + 1 < pageStarts.size() ? static_cast<size_t>(pageStarts[page + 1]) : lineCount;
  return {first, std::max(first, std::min(end, lineCount))};
}

WindowSize PreviewWindowSize(int storedWidth, int storedHeight, int screenWidth, int screenHeight) {
  if (storedWidth >= 640 && storedWidth <= screenWidth && storedHeight >= 480 && storedHeight <= screenHeight)
    return {storedWidth, storedHeight};
  return {std::min(static_cast<int>(0.65 * screenWidth), 900), std::min(static_cast<int>(0.85 * screenHeight), 1000)};
}

double PreviewZoom(int clientWidth, int clientHeight, int pageWidth, int pageHeight) {
  if (pageWidth <= 0 || pageHeight <= 0) return 0;
  const double zoom = std::min(static_cast<double>(clientWidth - 48) / pageWidth, static_cast<double>(clientHeight - 92) / pageHeight);
  return std::clamp(zoom, 0.0, 3.0);
}
