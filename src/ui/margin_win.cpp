#include "ui/margin_win.h"

#include "common/handles_win.h"
#include "common/utf.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/shell_win.h"
#include "ui/ui_logic.h"

namespace {
// The back buffer, kept between paints while the size stays the same.
struct BackBuffer {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  int width = 0, height = 0;
  void Release() {
    if (dc) {
      SelectObject(dc, oldBitmap);
      DeleteDC(dc);
    }
    if (bitmap) DeleteObject(bitmap);
    *this = BackBuffer{};
  }
  bool Ensure(HDC compatible, int w, int h) {
    if (dc && width == w && height == h) return true;
    Release();
    dc = CreateCompatibleDC(compatible);
    bitmap = dc ? CreateCompatibleBitmap(compatible, w, h) : nullptr;
    if (!dc || !bitmap) {
      Release();
      return false;
    }
    oldBitmap = SelectObject(dc, bitmap);
    width = w;
    height = h;
    return true;
  }
};
BackBuffer g_buffer;

void DrawNumbers(HDC dc, int width, int height) {
  const ColorPalette& p = GetColorPalette();
  RECT all{0, 0, width, height};
  Brush back(CreateSolidBrush(p.marginBack));
  FillRect(dc, &all, back.get());
  Pen edge(CreatePen(PS_SOLID, 1, p.borderLine));
  {
    SelectionGuard pen(dc, edge.get());
    MoveToEx(dc, width - 1, 0, nullptr);
    LineTo(dc, width - 1, height);
  }
  if (!g_shell.editor) return;
  int zoom = static_cast<int>(Sci(SCI_GETZOOM));
  std::string face = EditorFontUtf8();
  face.resize(Utf8PrefixLength(face, 31));  // the face-name field's limit, cut between characters
  Font font(CreateFontW(-MulDiv(std::max(g_live.fontSize + zoom, 6), GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0,
                        FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        CLEARTYPE_QUALITY, FIXED_PITCH | FF_MODERN, W(Utf8ToUtf16(face))));
  SelectionGuard selectFont(dc, font.get());
  SetBkMode(dc, TRANSPARENT);

  sptr_t first = Sci(SCI_GETFIRSTVISIBLELINE);
  int lineHeight = static_cast<int>(Sci(SCI_TEXTHEIGHT, 0));
  if (lineHeight < 1) lineHeight = 16;
  sptr_t caretLine = Sci(SCI_LINEFROMPOSITION, static_cast<uptr_t>(Sci(SCI_GETCURRENTPOS)));
  sptr_t lineCount = Sci(SCI_GETLINECOUNT);
  int rows = height / lineHeight + 2;
  for (int r = 0; r < rows && r * lineHeight < height; ++r) {
    sptr_t docLine = Sci(SCI_DOCLINEFROMVISIBLE, static_cast<uptr_t>(first + r));
    if (docLine >= lineCount) break;
    // Under word wrap a document line spans several rows: its number stands on the first.
    if (Sci(SCI_VISIBLEFROMDOCLINE, static_cast<uptr_t>(docLine)) != first + r) continue;
    SetTextColor(dc, docLine == caretLine ? p.marginCurrentText : p.marginText);
    wchar_t number[24];
    swprintf(number, 24, L"%lld", static_cast<long long>(docLine + 1));
    RECT cell{0, r * lineHeight, width - 6, (r + 1) * lineHeight};
    DrawTextW(dc, number, -1, &cell, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
}

void Paint(HWND hwnd) {
  PaintScope paint(hwnd);
  RECT rc;
  GetClientRect(hwnd, &rc);
  if (rc.right <= 0 || rc.bottom <= 0) return;
  if (!g_buffer.Ensure(paint.dc(), rc.right, rc.bottom)) {
    DrawNumbers(paint.dc(), rc.right, rc.bottom);
    return;
  }
  DrawNumbers(g_buffer.dc, rc.right, rc.bottom);
  BitBlt(paint.dc(), 0, 0, rc.right, rc.bottom, g_buffer.dc, 0, 0, SRCCOPY);
}
}  // namespace

int LineNumberMarginWidth() {
  if (!g_shell.editor || !g_live.showLineNumbers) return 0;
  int digitWidth = static_cast<int>(Sci(SCI_TEXTWIDTH, STYLE_LINENUMBER, "9"));
  return MarginWidthFor(static_cast<long long>(Sci(SCI_GETLINECOUNT)), digitWidth);
}

void RefreshLineNumberMargin() {
  if (!g_shell.marginWindow || !g_shell.marginVisible) return;
  int width = LineNumberMarginWidth();
  if (width != g_shell.marginWidth) {
    g_shell.marginWidth = width;
    RECT rc;
    GetClientRect(g_shell.mainWindow, &rc);
    PostMessageW(g_shell.mainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
  }
  InvalidateRect(g_shell.marginWindow, nullptr, FALSE);
}

void ShowLineNumberMargin(bool shown) {
  g_live.showLineNumbers = shown;
  g_shell.marginVisible = shown;
  if (!g_shell.marginWindow) return;
  g_shell.marginWidth = shown ? LineNumberMarginWidth() : 0;
  ShowWindow(g_shell.marginWindow, shown ? SW_SHOWNA : SW_HIDE);
}

LRESULT CALLBACK MarginWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      g_buffer.Release();
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      if (g_shell.editor) SetFocus(g_shell.editor);
      return 0;
    case WM_DESTROY:
      g_buffer.Release();
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
