// The Print Preview window: a toolbar strip of four buttons and the page label above the page,
// scaled to the window with a shadow and a frame. One page bitmap exists at a time; turning
// the page renders the new one.
#include "common/win.h"  // before the other system headers

#include <algorithm>
#include <cstdint>
#include <string>

#include "common/messages.h"
#include "common/utf.h"
#include "common/visual_win.h"
#include "print/preview_state_win.h"
#include "print/preview_win.h"
#include "print/print_render_win.h"
#include "print/print_win.h"
#include "settings/settings_win.h"
#include "ui/dialog_theme_win.h"
#include "ui/shell_win.h"

namespace {
constexpr int kStripHeight = 44;
constexpr int kButtonWidth = 84, kButtonHeight = 28, kButtonGap = 8;
enum { kPrev = 610, kNext = 611, kPrint = 612, kClose = 613 };
const wchar_t* const kCaptions[4] = {L"\u25C4  Prev", L"Next  \u25BA", L"Print", L"\u2715  Close"};

PreviewState* StateOf(HWND dialog) { return reinterpret_cast<PreviewState*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

RECT ButtonRect(HWND dialog, int index) {
  RECT client;
  GetClientRect(dialog, &client);
  const int x0 = std::max(8, (static_cast<int>(client.right) - 360) / 2);
  const int x = x0 + index * (kButtonWidth + kButtonGap);
  return {x, 8, x + kButtonWidth, 8 + kButtonHeight};
}

bool Enabled(const PreviewState& s, int index) {
  if (index == 0) return s.current > 0;
  if (index == 1) return s.current + 1 < s.PageCount();
  return true;
}

int ButtonAt(HWND dialog, POINT pt) {
  for (int i = 0; i < 4; ++i) {
    RECT r = ButtonRect(dialog, i);
    if (PtInRect(&r, pt)) return i;
  }
  return -1;
}

void DrawStrip(HDC dc, HWND dialog, const PreviewState& s, const RECT& client) {
  const ColorPalette& p = GetColorPalette();
  RECT strip{0, 0, client.right, kStripHeight};
  Brush panel(CreateSolidBrush(p.panelBack));
  FillRect(dc, &strip, panel.get());
  RECT line{0, kStripHeight - 1, client.right, kStripHeight};
  Brush border(CreateSolidBrush(p.borderLine));
  FillRect(dc, &line, border.get());
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < 4; ++i) {
    const RECT r = ButtonRect(dialog, i);
    const bool enabled = Enabled(s, i), hot = enabled && s.hover == i;
    Brush face(CreateSolidBrush(hot ? p.itemHoverBack : p.itemBack));
    Pen outline(CreatePen(PS_SOLID, 1, hot ? p.accent : p.itemBorder));
    SelectionGuard b(dc, face.get());
    SelectionGuard o(dc, outline.get());
    RoundRect(dc, r.left, r.top, r.right, r.bottom, 8, 8);
    DrawButtonCaption(dc, r, kCaptions[i], -13, !enabled ? p.itemDisabledText : hot ? p.itemHoverText : p.itemText, false);
  }
  const Font labelFont = UiFont(-12);
  SelectionGuard f(dc, labelFont.get());
  SetTextColor(dc, p.itemText);
  const std::u16string label = u"Page " + DecimalText(static_cast<unsigned>(s.current + 1)) + u" / " +
                               DecimalText(static_cast<unsigned>(s.PageCount()));
  RECT at{client.right - 130, 0, client.right - 8, kStripHeight};
  DrawTextW(dc, W(label), -1, &at, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void DrawPageArea(HDC dc, const PreviewState& s, const RECT& client) {
  const ColorPalette& p = GetColorPalette();
  RECT area{0, kStripHeight, client.right, client.bottom};
  Brush back(CreateSolidBrush(p.dialogBack));
  FillRect(dc, &area, back.get());
  const double zoom = PreviewZoom(client.right, client.bottom, s.layout.pageWidth, s.layout.pageHeight);
  const int w = static_cast<int>(zoom * s.layout.pageWidth), h = static_cast<int>(zoom * s.layout.pageHeight);
  if (w <= 0 || h <= 0) return;
  const int x = (client.right - w) / 2;
  const int y = kStripHeight + (client.bottom - kStripHeight - h) / 2;
  RECT shadow{x + 4, y + 4, x + w + 4, y + h + 4};
  Brush dark(CreateSolidBrush(RGB(0x14, 0x14, 0x14)));
  FillRect(dc, &shadow, dark.get());
  RECT paper{x, y, x + w, y + h};
  FillRect(dc, &paper, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (s.page) {
    MemoryDc source(dc);
    SelectionGuard keep(source.get(), s.page.get());
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, x, y, w, h, source.get(), 0, 0, s.layout.pageWidth, s.layout.pageHeight, SRCCOPY);
  }
  Brush frame(CreateSolidBrush(p.borderLine));
  FrameRect(dc, &paper, frame.get());
}

void Paint(HWND dialog, const PreviewState& s) {
  PaintScope paint(dialog);
  RECT client;
  GetClientRect(dialog, &client);
  MemoryDc mem(paint.dc());
  Bitmap buffer(CreateCompatibleBitmap(paint.dc(), client.right, client.bottom));
  if (!mem || !buffer) return;
  SelectionGuard keep(mem.get(), buffer.get());
  DrawPageArea(mem.get(), s, client);
  DrawStrip(mem.get(), dialog, s, client);
  BitBlt(paint.dc(), 0, 0, client.right, client.bottom, mem.get(), 0, 0, SRCCOPY);
}

void RenderCurrent(HWND dialog, PreviewState& s) {
  s.page.reset();
  // The page's own lines, read afresh from the document.
  const PageLines lines = LinesOfPage(s.pageStarts, s.current, SIZE_MAX);
  s.page = RenderPreviewPage(s.current, GetDocumentLines(lines.first, lines.end), s.layout, g_live.fontName, g_live.fontSize);
  InvalidateRect(dialog, nullptr, FALSE);
}

void Turn(HWND dialog, PreviewState& s, int step) {
  if (step < 0 && s.current == 0) return;
  if (step > 0 && s.current + 1 >= s.PageCount()) return;
  s.current = step < 0 ? s.current - 1 : s.current + 1;
  RenderCurrent(dialog, s);
}

void Close(HWND dialog) {
  RECT outer;
  GetWindowRect(dialog, &outer);
  g_settings.previewWidth = outer.right - outer.left;
  g_settings.previewHeight = outer.bottom - outer.top;
  SaveSettings(g_settings);
  EndDialog(dialog, 1);
}

void Init(HWND dialog, PreviewState* s) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
  g_shell.previewWindow = dialog;
  SetTitleBarDarkAttribute(dialog, GetColorPalette().isDark);
  SetWindowTextW(dialog, L"Norvo - Print Preview");
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  const WindowSize size = PreviewWindowSize(g_settings.previewWidth, g_settings.previewHeight, screenW, screenH);
  SetWindowPos(dialog, nullptr, (screenW - size.width) / 2, (screenH - size.height) / 2, size.width, size.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (g_previewHooks.shown) g_previewHooks.shown(dialog);
}

void SetHover(HWND dialog, PreviewState& s, int hover) {
  if (hover == s.hover) return;
  s.hover = hover;
  RECT strip{0, 0, 1 << 15, kStripHeight};
  InvalidateRect(dialog, &strip, FALSE);
}

bool OnKey(HWND dialog, PreviewState& s, WPARAM key) {
  switch (key) {
    case VK_ESCAPE:
      Close(dialog);
      return true;
    case VK_PRIOR:
    case VK_LEFT:
      Turn(dialog, s, -1);
      return true;
    case VK_NEXT:
    case VK_RIGHT:
      Turn(dialog, s, 1);
      return true;
    default:
      return false;
  }
}

bool OnCommand(HWND dialog, PreviewState& s, int id) {
  switch (id) {
    case kPrev:
      Turn(dialog, s, -1);
      return true;
    case kNext:
      Turn(dialog, s, 1);
      return true;
    case kPrint:
      PrintDocument(s.owner);  // the main window owns the print dialog and its messages
      return true;
    case kClose:
    case IDCANCEL:
      Close(dialog);
      return true;
    default:
      return false;
  }
}

INT_PTR OnMouse(HWND dialog, PreviewState& s, UINT msg, LPARAM lParam) {
  const POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  const int at = ButtonAt(dialog, pt);
  const int enabledAt = at >= 0 && Enabled(s, at) ? at : -1;
  if (msg == WM_MOUSEMOVE) {
    if (!s.trackingLeave) {
      TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, dialog, 0};
      s.trackingLeave = TrackMouseEvent(&tme) != FALSE;
    }
    SetHover(dialog, s, enabledAt);
  } else if (enabledAt >= 0) {
    OnCommand(dialog, s, kPrev + enabledAt);
  }
  return TRUE;
}
}  // namespace

INT_PTR CALLBACK PreviewDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    Init(dialog, reinterpret_cast<PreviewState*>(lParam));
    return TRUE;
  }
  PreviewState* s = StateOf(dialog);
  if (!s) return FALSE;
  switch (msg) {
    case WM_ERASEBKGND:
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
      return TRUE;
    case WM_PAINT:
      Paint(dialog, *s);
      return TRUE;
    case WM_SIZE:
      InvalidateRect(dialog, nullptr, FALSE);
      return TRUE;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {640, 480};
      return TRUE;
    case WM_GETDLGCODE:  // the keys come to the window: it has no controls
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, DLGC_WANTALLKEYS);
      return TRUE;
    case WM_KEYDOWN:
      return OnKey(dialog, *s, wParam) ? TRUE : FALSE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
      return OnMouse(dialog, *s, msg, lParam);
    case WM_MOUSELEAVE:
      s->trackingLeave = false;
      SetHover(dialog, *s, -1);
      return TRUE;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, s->hover >= 0 ? IDC_HAND : IDC_ARROW));
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      return OnCommand(dialog, *s, LOWORD(wParam)) ? TRUE : FALSE;
    case WM_CLOSE:
      Close(dialog);
      return TRUE;
    case WMU_APPLY_THEME:
      SetTitleBarDarkAttribute(dialog, GetColorPalette().isDark);
      RenderCurrent(dialog, *s);
      return TRUE;
    case WM_DESTROY:
      g_shell.previewWindow = nullptr;
      SetWindowLongPtrW(dialog, DWLP_USER, 0);
      return TRUE;
    default:
      return FALSE;
  }
}
