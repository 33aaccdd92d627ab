// Drawing and layout of the Help window: the title strip, the topic panel and the content
// pane, which is drawn off screen and copied in one piece.
#include "common/win.h"  // before the other system headers

#include <algorithm>
#include <string_view>

#include "help/help_logic.h"
#include "help/help_state_win.h"
#include "help/help_topics.h"
#include "settings/settings_win.h"

namespace {
constexpr wchar_t kTitle[] = L"Norvo - Help";
// Tab stops of the shortcut and example lines, in average character widths.
constexpr int kTabLength = 26;
constexpr UINT kTextFlags = DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS | DT_TABSTOP;

Font MakeFont(HDC screen, int points, int weight) {
  return Font(CreateFontW(-MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, weight, FALSE, FALSE,
                          FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                          DEFAULT_PITCH, L"Segoe UI"));
}

int TextHeight(HDC dc, HFONT font) {
  SelectionGuard select(dc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  return tm.tmHeight;
}

// Draws (or with DT_CALCRECT only measures) word-wrapped text at (x, y), `width` wide;
// returns its height.
int WrappedText(HDC dc, std::u16string_view text, int x, int y, int width, UINT extra) {
  RECT r{x, y, x + std::max(width, 1), y + 0x3FFFFFFF};
  DRAWTEXTPARAMS params{sizeof(DRAWTEXTPARAMS), kTabLength, 0, 0, 0};
  std::wstring copy(reinterpret_cast<const wchar_t*>(text.data()), text.size());
  if (copy.empty()) return 0;
  return DrawTextExW(dc, copy.data(), static_cast<int>(copy.size()), &r, kTextFlags | extra, &params);
}

void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
  Brush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.get());
}

void PaintTitle(HDC dc, const HelpState& state, int width) {
  const ColorPalette& p = GetColorPalette();
  RECT strip{0, 0, width, kHelpTitleHeight};
  FillRect(dc, &strip, state.panelBack.get());
  FillSolid(dc, {0, kHelpTitleHeight - 1, width, kHelpTitleHeight}, p.borderLine);
  SelectionGuard font(dc, state.titleFont.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, p.dialogText);
  RECT text{0, 0, width, kHelpTitleHeight - 1};
  DrawTextW(dc, kTitle, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// The rounded face behind a selected or hovered row.
void RowFace(HDC dc, int top, HBRUSH brush) {
  SelectionGuard pen(dc, GetStockObject(NULL_PEN));
  SelectionGuard fill(dc, brush);
  RoundRect(dc, 8, top + 2, kHelpPanelWidth - 8 + 1, top + kHelpRowHeight - 2 + 1, 6, 6);
}

void PaintPanel(HDC dc, const HelpState& state, int height) {
  const ColorPalette& p = GetColorPalette();
  RECT panel{0, kHelpTitleHeight, kHelpPanelWidth, height};
  FillRect(dc, &panel, state.panelBack.get());
  FillSolid(dc, {kHelpPanelWidth - 1, kHelpTitleHeight, kHelpPanelWidth, height}, p.borderLine);
  SelectionGuard font(dc, state.listFont.get());
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < kHelpTopicCount; ++i) {
    const int top = kHelpTitleHeight + kHelpRowTop + kHelpRowHeight * i;
    COLORREF colour = p.itemText;
    if (i == state.topic) {
      FillSolid(dc, {4, top + 4, 8, top + kHelpRowHeight - 4}, p.accent);
      RowFace(dc, top, state.itemBack.get());
      colour = p.dialogText;
    } else if (i == state.hover) {
      RowFace(dc, top, state.itemHoverBack.get());
      colour = p.itemHoverText;
    }
    SetTextColor(dc, colour);
    RECT text{20, top, kHelpPanelWidth - 8, top + kHelpRowHeight};
    DrawTextW(dc, W(kHelpTopics[i].name), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
}

// A heading: drawn with its rule when any of it can be seen, measured otherwise.
int PaintHeading(HDC dc, const HelpState& state, std::u16string_view text, int y, int width) {
  SelectionGuard font(dc, state.headingFont.get());
  const ColorPalette& p = GetColorPalette();
  int h = 0;
  if (y + state.headingHeight > 0) {
    h = WrappedText(dc, text, kHelpMargin, y, width, 0);
    const int rule = y + std::max(h, state.headingHeight) + 2;
    FillSolid(dc, {kHelpMargin, rule, kHelpMargin + width, rule + 1}, p.borderLine);
  } else {
    h = WrappedText(dc, text, kHelpMargin, y, width, DT_CALCRECT);
  }
  return (h > 0 ? h : state.headingHeight) + 8;
}

void PaintContent(HDC dc, const HelpState& state, int width, int height) {
  const ColorPalette& p = GetColorPalette();
  RECT all{0, 0, width, height};
  FillRect(dc, &all, state.dialogBack.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, p.dialogText);
  SelectionGuard font(dc, state.bodyFont.get());
  const int textWidth = std::max(width - kHelpTextInset, 40);
  const int lineHeight = state.bodyHeight + 4;
  const char16_t* const* lines = kHelpTopics[state.topic].lines;
  int y = kHelpMargin - state.scroll;
  for (const char16_t* const* line = lines; *line && y <= height; ++line) {
    std::u16string_view text(*line);
    switch (ClassifyHelpLine(text)) {
      case HelpLineKind::Heading:
        if (line != lines) y += state.headingHeight / 2;
        y += PaintHeading(dc, state, HelpLineText(text), y, textWidth);
        break;
      case HelpLineKind::Blank:
        y += lineHeight / 2;
        break;
      case HelpLineKind::Paragraph: {
        int h = WrappedText(dc, text, kHelpMargin, y, textWidth, y + lineHeight > 0 ? 0 : DT_CALCRECT);
        y += (h > 0 ? h : lineHeight) + 3;
        break;
      }
    }
  }
}

// The pane is drawn into a bitmap of its own size and copied, so scrolling does not flicker.
void PaintPane(HDC dc, const HelpState& state, const RECT& pane) {
  const int width = pane.right - pane.left, height = pane.bottom - pane.top;
  if (width <= 0 || height <= 0) return;
  MemoryDc memory(dc);
  Bitmap bitmap(CreateCompatibleBitmap(dc, width, height));
  if (!memory || !bitmap) return;
  {
    SelectionGuard select(memory.get(), bitmap.get());
    PaintContent(memory.get(), state, width, height);
    BitBlt(dc, pane.left, pane.top, width, height, memory.get(), 0, 0, SRCCOPY);
  }
}
}  // namespace

void CreateHelpBrushes(HelpState& state) {
  const ColorPalette& p = GetColorPalette();
  state.dialogBack.reset(CreateSolidBrush(p.dialogBack));
  state.panelBack.reset(CreateSolidBrush(p.panelBack));
  state.itemHoverBack.reset(CreateSolidBrush(p.itemHoverBack));
  state.itemBack.reset(CreateSolidBrush(p.itemBack));
}

void CreateHelpFonts(HelpState& state, HWND window) {
  HDC screen = GetDC(window);
  state.listFont = MakeFont(screen, 9, FW_NORMAL);
  state.bodyFont = MakeFont(screen, 10, FW_NORMAL);
  state.headingFont = MakeFont(screen, 11, FW_SEMIBOLD);
  state.titleFont = MakeFont(screen, 12, FW_SEMIBOLD);
  state.bodyHeight = TextHeight(screen, state.bodyFont.get());
  state.headingHeight = TextHeight(screen, state.headingFont.get());
  ReleaseDC(window, screen);
}

RECT HelpPanelRect(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {0, kHelpTitleHeight, kHelpPanelWidth, client.bottom};
}

RECT HelpPaneRect(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {kHelpPanelWidth, kHelpTitleHeight, std::max<LONG>(client.right, kHelpPanelWidth), client.bottom};
}

void LayoutHelp(HWND window, HelpState& state) {
  RECT client{};
  GetClientRect(window, &client);
  const int pageHeight = std::max<int>(client.bottom - kHelpTitleHeight, 0);
  HDC dc = GetDC(window);
  auto measure = [&](std::u16string_view text, bool heading, int width) {
    SelectionGuard font(dc, heading ? state.headingFont.get() : state.bodyFont.get());
    return WrappedText(dc, text, 0, 0, width, DT_CALCRECT);
  };
  const int content = HelpContentHeight(kHelpTopics[state.topic].lines, client.right - kHelpPanelWidth,
                                        {state.bodyHeight, state.headingHeight}, measure);
  ReleaseDC(window, dc);
  state.maxScroll = HelpMaxScroll(content, pageHeight);
  state.scroll = ClampHelpScroll(state.scroll, state.maxScroll);
  // Showing or hiding the bar resizes the window, which lays it out again with the new width;
  // nothing of this call may follow the bar's update.
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(content - 1, 0),
                  static_cast<UINT>(pageHeight), state.scroll, 0};
  SetScrollInfo(window, SB_VERT, &info, TRUE);
}

void PaintHelp(HWND window, HelpState& state) {
  PaintScope paint(window);
  RECT client{};
  GetClientRect(window, &client);
  PaintTitle(paint.dc(), state, client.right);
  PaintPanel(paint.dc(), state, client.bottom);
  PaintPane(paint.dc(), state, HelpPaneRect(window));
}
