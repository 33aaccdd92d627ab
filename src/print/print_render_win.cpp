#include "common/win.h"  // before the other system headers

#include "print/print_render_win.h"

#include <Scintilla.h>

#include <algorithm>
#include <cstddef>

#include "common/utf.h"
#include "print/pdf_layout.h"
#include "ui/editor_win.h"

namespace {
constexpr UINT kWrapFlags = DT_WORDBREAK | DT_NOPREFIX;

Font BodyFontOfHeight(const std::u16string& face, int pixels) {
  return Font(CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                          CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, W(face)));
}

int FontHeight(HDC dc) {
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  return metrics.tmHeight;
}
}  // namespace

std::vector<std::u16string> GetDocumentLines(size_t first, size_t end) {
  std::vector<std::u16string> lines;
  const sptr_t count = std::min<sptr_t>(Sci(SCI_GETLINECOUNT), static_cast<sptr_t>(std::min<size_t>(end, PTRDIFF_MAX)));
  std::string bytes;
  for (sptr_t line = static_cast<sptr_t>(std::min<size_t>(first, PTRDIFF_MAX)); line < count; ++line) {
    const sptr_t length = std::max<sptr_t>(0, Sci(SCI_LINELENGTH, static_cast<uptr_t>(line)));
    if (length == 0) {
      lines.emplace_back();
      continue;
    }
    const sptr_t start = Sci(SCI_POSITIONFROMLINE, static_cast<uptr_t>(line));
    bytes.assign(static_cast<size_t>(length) + 1, '\0');
    Sci_TextRange range{{static_cast<Sci_PositionCR>(start), static_cast<Sci_PositionCR>(start + length)}, bytes.data()};
    Sci(SCI_GETTEXTRANGE, 0, &range);
    bytes.resize(static_cast<size_t>(length));
    std::u16string text = Utf8ToUtf16(bytes);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u'\0')) text.pop_back();
    lines.push_back(std::move(text));
  }
  return lines;
}

Font MakeBodyFont(const std::u16string& face, int points, int dpiY) {
  return BodyFontOfHeight(face, MulDiv(points, dpiY, 72));
}

Font MakeFooterFont(const std::u16string& face, int points, int dpiY) {
  return BodyFontOfHeight(face, MulDiv(points, dpiY, 72) + 2);
}

int WrappedLineHeight(HDC dc, const std::u16string& line, int width, int rectHeight, int fontHeight) {
  if (line.empty()) return fontHeight;
  // One row: as wide as the text rectangle at most and nothing DrawTextW breaks at by itself.
  const bool plain = std::none_of(line.begin(), line.end(), [](char16_t c) { return c < u' '; });
  SIZE extent{};
  if (plain && GetTextExtentPoint32W(dc, W(line.data()), static_cast<int>(line.size()), &extent) && extent.cx <= width)
    return fontHeight;
  RECT r{0, 0, width, rectHeight};
  const int h = DrawTextW(dc, W(line.data()), static_cast<int>(line.size()), &r, kWrapFlags | DT_CALCRECT);
  return h > 0 ? h : fontHeight;
}

void DrawPage(HDC dc, const PageDrawing& page) {
  const PageLayout& l = page.layout;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  {
    SelectionGuard font(dc, page.body);
    const int fontHeight = FontHeight(dc);
    int y = l.top;
    for (size_t i = page.range.first; i < page.range.end; ++i) {
      const std::u16string& line = page.lines[i];
      if (line.empty()) {
        y += fontHeight + 2;
        continue;
      }
      const int h = WrappedLineHeight(dc, line, l.TextWidth(), 30 * fontHeight, fontHeight);
      const bool alone = i == page.range.first;
      if (y + h > l.bottom && !alone) break;
      // A line taller than the page is shown as far as the page goes.
      RECT r{l.left, y, l.right, std::min(y + h, l.bottom)};
      DrawTextW(dc, W(line.data()), static_cast<int>(line.size()), &r, kWrapFlags);
      y += h + 2;
    }
  }
  SelectionGuard font(dc, page.footer);
  const std::u16string footer = PageFooter(page.pageNumber);
  SIZE size{};
  GetTextExtentPoint32W(dc, W(footer.data()), static_cast<int>(footer.size()), &size);
  SetTextColor(dc, page.footerColour);
  TextOutW(dc, l.left + (l.TextWidth() - size.cx) / 2, l.bottom + (page.footerBottom - size.cy - l.bottom) / 2,
           W(footer.data()), static_cast<int>(footer.size()));
  SetTextColor(dc, RGB(0, 0, 0));
}

Bitmap RenderPreviewPage(size_t page, const std::vector<std::u16string>& pageLines, const PageLayout& layout,
                         const std::u16string& face, int points) {
  HDC screen = GetDC(nullptr);
  const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  Bitmap bitmap(CreateCompatibleBitmap(screen, layout.pageWidth, layout.pageHeight));
  MemoryDc mem(screen);
  ReleaseDC(nullptr, screen);
  if (!bitmap || !mem) return Bitmap();
  SelectionGuard keep(mem.get(), bitmap.get());
  RECT all{0, 0, layout.pageWidth, layout.pageHeight};
  FillRect(mem.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const Font body = MakeBodyFont(face, points, dpiY);
  const Font footer = MakeFooterFont(face, points, dpiY);
  DrawPage(mem.get(), {layout, pageLines, {0, pageLines.size()}, static_cast<int>(page) + 1, body.get(), footer.get(),
                       RGB(0x80, 0x80, 0x80), layout.pageHeight});
  return bitmap;
}
