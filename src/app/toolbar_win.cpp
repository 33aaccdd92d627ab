#include "app/toolbar_win.h"

#include "app/shell_logic.h"
#include "common/handles_win.h"
#include "common/messages.h"
#include "document/document_win.h"
#include "ui/shell_win.h"
#include "ui/theme_win.h"

namespace {
struct ToolbarButton {
  int commandId;
  const wchar_t* label;
  RECT rect;
  bool enabled;
  bool pressed;
};
ToolbarButton g_buttons[kToolbarButtonCount] = {
    {CMD_NEW, L"New", {}, true, false},         {CMD_OPEN, L"Open", {}, true, false},
    {CMD_SAVE, L"Save", {}, true, false},       {CMD_EXPORT, L"Export", {}, true, false},
    {CMD_SETTINGS, L"Settings", {}, true, false}, {CMD_HELP, L"Help", {}, true, false},
};
int g_hover = -1;

constexpr COLORREF Rgb(uint32_t rrggbb) { return RGB((rrggbb >> 16) & 0xFF, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF); }

void Layout(int clientWidth) {
  for (int k = 0; k < kToolbarButtonCount; ++k) {
    int left = ToolbarButtonLeft(clientWidth, k);
    g_buttons[k].rect = {left, 6, left + 75, 36};
  }
}

int ButtonAt(POINT pt) {
  for (int k = 0; k < kToolbarButtonCount; ++k)
    if (g_buttons[k].enabled && PtInRect(&g_buttons[k].rect, pt)) return k;
  return -1;
}

void FillRounded(HDC dc, const RECT& r, COLORREF fill, COLORREF outline, bool outlined) {
  Brush brush(CreateSolidBrush(fill));
  Pen pen(outlined ? CreatePen(PS_SOLID, 1, outline) : nullptr);
  SelectionGuard b(dc, brush.get());
  SelectionGuard p(dc, outlined ? static_cast<HGDIOBJ>(pen.get()) : GetStockObject(NULL_PEN));
  RoundRect(dc, r.left, r.top, r.right + (outlined ? 0 : 1), r.bottom + (outlined ? 0 : 1), 8, 8);
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour, int width = 1) {
  Pen pen(CreatePen(PS_SOLID, width, colour));
  SelectionGuard p(dc, pen.get());
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

void Draw(HDC dc, int width, int height) {
  const ColorPalette& p = GetColorPalette();
  RECT all{0, 0, width, height};
  Brush back(CreateSolidBrush(p.panelBack));
  FillRect(dc, &all, back.get());
  Line(dc, 0, 0, width, 0, p.isDark ? Rgb(0x46464B) : Rgb(0xFFFFFF));
  Line(dc, 0, height - 1, width, height - 1, p.borderLine);

  Font font(CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI"));
  SelectionGuard selectFont(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  for (int k = 0; k < kToolbarButtonCount; ++k) {
    const ToolbarButton& b = g_buttons[k];
    const bool hover = k == g_hover && b.enabled;
    const bool pressed = b.pressed && b.enabled;
    const bool exportButton = b.commandId == CMD_EXPORT;
    RECT r = b.rect;
    if (exportButton && b.enabled) {
      COLORREF fill = pressed ? p.itemBorder : hover ? p.itemHoverBack : (p.isDark ? Rgb(0x1E2632) : Rgb(0xE1E8F5));
      RECT tall = r;
      tall.bottom += 4;
      FillRounded(dc, tall, fill, 0, false);
    } else if (b.enabled) {
      COLORREF fill = pressed ? p.itemBorder : hover ? p.itemHoverBack : p.itemBack;
      FillRounded(dc, r, fill, hover ? p.accent : p.itemBorder, true);
    } else {
      FillRounded(dc, r, p.panelBack, p.itemBorder, true);
    }
    if (hover) Line(dc, r.left + 4, r.top + 1, r.right - 4, r.top + 1, p.isDark ? Rgb(0x64646E) : Rgb(0xFFFFFF));
    if (exportButton && b.enabled && !pressed)
      Line(dc, r.left + 4, r.top + 1, r.right - 4, r.top + 1, p.isDark ? Rgb(0x4682B4) : Rgb(0x1E64A0), 2);
    SetTextColor(dc, !b.enabled ? p.itemDisabledText : hover ? p.itemHoverText : p.itemText);
    RECT text = r;
    if (hover || pressed) OffsetRect(&text, 0, 1);
    DrawTextW(dc, b.label, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

void Paint(HWND hwnd) {
  PaintScope paint(hwnd);
  RECT rc;
  GetClientRect(hwnd, &rc);
  if (rc.right <= 0 || rc.bottom <= 0) return;
  MemoryDc memory(paint.dc());
  Bitmap bitmap(CreateCompatibleBitmap(paint.dc(), rc.right, rc.bottom));
  if (!memory || !bitmap) {
    Draw(paint.dc(), rc.right, rc.bottom);
    return;
  }
  SelectionGuard select(memory.get(), bitmap.get());
  Draw(memory.get(), rc.right, rc.bottom);
  BitBlt(paint.dc(), 0, 0, rc.right, rc.bottom, memory.get(), 0, 0, SRCCOPY);
}
}  // namespace

bool ToolbarButtonEnabled(int index) { return g_buttons[index].enabled; }
RECT ToolbarButtonRect(int index) { return g_buttons[index].rect; }

void UpdateToolbar() {
  if (!g_shell.toolbar) return;
  for (ToolbarButton& b : g_buttons) b.enabled = b.commandId != CMD_SAVE || g_doc.modified;
  InvalidateRect(g_shell.toolbar, nullptr, FALSE);
}

LRESULT CALLBACK ToolbarWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      RECT rc;
      GetClientRect(hwnd, &rc);
      Layout(rc.right);
      return 0;
    }
    case WM_SIZE:
      Layout(LOWORD(lParam));
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_MOUSEMOVE: {
      int hit = ButtonAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      if (hit != g_hover) {
        g_hover = hit;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      SetCursor(LoadCursorW(nullptr, hit >= 0 ? IDC_HAND : IDC_ARROW));
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
      TrackMouseEvent(&track);
      return 0;
    }
    case WM_MOUSELEAVE:
      g_hover = -1;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN: {
      int hit = ButtonAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      if (hit < 0) return 0;
      // The press is shown, then the command runs on the press itself.
      g_buttons[hit].pressed = true;
      InvalidateRect(hwnd, nullptr, FALSE);
      UpdateWindow(hwnd);
      g_buttons[hit].pressed = false;
      InvalidateRect(hwnd, nullptr, FALSE);
      SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(g_buttons[hit].commandId, 0), 0);
      return 0;
    }
    case WM_LBUTTONUP:
      for (ToolbarButton& b : g_buttons) b.pressed = false;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
